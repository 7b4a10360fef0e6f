#include "detect/wqlquery.h"

namespace {

struct Token {
    enum Type { End, Ident, String, Number, Symbol, Bad } type = End;
    QString text;
};

class Lexer
{
public:
    explicit Lexer(const QString &text) : s(text) {}

    Token next()
    {
        while (pos < s.size() && s.at(pos).isSpace())
            ++pos;
        if (pos >= s.size())
            return {};
        const QChar c = s.at(pos);
        if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = pos;
            while (pos < s.size() && (s.at(pos).isLetterOrNumber() || s.at(pos) == QLatin1Char('_')))
                ++pos;
            return {Token::Ident, s.mid(start, pos - start)};
        }
        if (c.isDigit() || (c == QLatin1Char('-') && pos + 1 < s.size() && s.at(pos + 1).isDigit())) {
            const int start = pos++;
            while (pos < s.size() && s.at(pos).isDigit())
                ++pos;
            return {Token::Number, s.mid(start, pos - start)};
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            return string(c);
        for (const char *op : {"<>", "!=", "<=", ">="})
            if (s.mid(pos, 2) == QLatin1String(op)) {
                pos += 2;
                return {Token::Symbol, QLatin1String(op)};
            }
        if (QStringLiteral("*,(){}=<>.").contains(c)) {
            ++pos;
            return {Token::Symbol, QString(c)};
        }
        return {Token::Bad, QString(c)};
    }

private:
    Token string(QChar quote)
    {
        QString value;
        for (++pos; pos < s.size(); ++pos) {
            QChar c = s.at(pos);
            if (c == quote) {
                ++pos;
                return {Token::String, value};
            }
            if (c == QLatin1Char('\\')) {
                if (++pos >= s.size())
                    break;
                c = s.at(pos);
            }
            value += c;
        }
        return {Token::Bad, value}; // unterminated
    }

    const QString s;
    int pos = 0;
};

bool isKeyword(const Token &t, const char *word)
{
    return t.type == Token::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token &t, const char *symbol)
{
    return t.type == Token::Symbol && t.text == QLatin1String(symbol);
}

const char *const reserved[] = {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "LIKE", "IS",
                                "NULL", "TRUE", "FALSE", "ASSOCIATORS", "OF"};

bool isName(const Token &t)
{
    if (t.type != Token::Ident)
        return false;
    for (const char *word : reserved)
        if (isKeyword(t, word))
            return false;
    return true;
}

} // namespace

struct WqlQuery::Node {
    enum Type { Or, And, Not, Compare, Like, IsNull } type = Compare;
    QList<std::shared_ptr<const Node>> children;
    QString op;      // Compare: = <> != < <= > >=
    bool negated = false;
    QString leftProp, rightProp; // property operands ("" for a literal)
    QVariant left, right;        // literal operands
};

using NodePtr = std::shared_ptr<const WqlQuery::Node>;

static std::shared_ptr<WqlQuery::Node> branch(WqlQuery::Node::Type type, const NodePtr &first)
{
    auto node = std::make_shared<WqlQuery::Node>();
    node->type = type;
    node->children << first;
    return node;
}

class WqlParser
{
public:
    explicit WqlParser(const QString &text) : lexer(text) { advance(); }

    WqlQuery parse()
    {
        WqlQuery q;
        bool ok = false;
        if (isKeyword(tok, "SELECT"))
            ok = parseSelect(&q);
        else if (isKeyword(tok, "ASSOCIATORS"))
            ok = parseAssociators(&q);
        if (!ok || tok.type != Token::End)
            return {};
        return q;
    }

private:
    static constexpr int maxDepth = 64;
    int depth = 0;

    void advance() { tok = lexer.next(); }

    bool accept(const char *symbol)
    {
        if (!isSymbol(tok, symbol))
            return false;
        advance();
        return true;
    }

    bool acceptKeyword(const char *word)
    {
        if (!isKeyword(tok, word))
            return false;
        advance();
        return true;
    }

    bool name(QString *out)
    {
        if (!isName(tok))
            return false;
        *out = tok.text;
        advance();
        return true;
    }

    bool parseSelect(WqlQuery *q)
    {
        advance();
        if (!accept("*")) {
            do {
                QString property;
                if (!name(&property))
                    return false;
                q->selected << property;
            } while (accept(","));
        }
        if (!acceptKeyword("FROM") || !name(&q->cls))
            return false;
        if (acceptKeyword("WHERE") && !(q->where = orExpr()))
            return false;
        q->queryKind = WqlQuery::Select;
        return true;
    }

    bool parseAssociators(WqlQuery *q)
    {
        advance();
        if (!acceptKeyword("OF") || !accept("{") || !name(&q->cls))
            return false;
        if (accept(".") && !name(&q->keyProp))
            return false;
        if (!accept("=") || tok.type != Token::String)
            return false;
        q->key = tok.text;
        advance();
        if (!accept("}"))
            return false;
        if (acceptKeyword("WHERE")) {
            do {
                QString *target = nullptr;
                if (acceptKeyword("ResultClass"))
                    target = &q->resultCls;
                else if (acceptKeyword("AssocClass"))
                    target = &q->assocCls;
                if (!target || !target->isEmpty() || !accept("=") || !name(target))
                    return false;
            } while (tok.type != Token::End);
        }
        q->queryKind = WqlQuery::Associators;
        return true;
    }

    NodePtr orExpr()
    {
        NodePtr first = andExpr();
        if (!first || !isKeyword(tok, "OR"))
            return first;
        auto node = branch(WqlQuery::Node::Or, first);
        while (acceptKeyword("OR")) {
            NodePtr next = andExpr();
            if (!next)
                return {};
            node->children << next;
        }
        return node;
    }

    NodePtr andExpr()
    {
        NodePtr first = notExpr();
        if (!first || !isKeyword(tok, "AND"))
            return first;
        auto node = branch(WqlQuery::Node::And, first);
        while (acceptKeyword("AND")) {
            NodePtr next = notExpr();
            if (!next)
                return {};
            node->children << next;
        }
        return node;
    }

    NodePtr notExpr()
    {
        // Each NOT and parenthesis nests a call: a text of thousands would end the process
        // with a full stack. The detector's own queries nest two deep.
        if (depth >= maxDepth)
            return {};
        ++depth;
        NodePtr node;
        if (acceptKeyword("NOT")) {
            if (NodePtr inner = notExpr())
                node = branch(WqlQuery::Node::Not, inner);
        } else if (accept("(")) {
            NodePtr inner = orExpr();
            if (inner && accept(")"))
                node = inner;
        } else {
            node = comparison();
        }
        --depth;
        return node;
    }

    bool operand(QString *property, QVariant *literal)
    {
        if (isName(tok)) {
            *property = tok.text;
        } else if (tok.type == Token::String) {
            *literal = tok.text;
        } else if (tok.type == Token::Number) {
            *literal = tok.text.toLongLong();
        } else if (isKeyword(tok, "TRUE") || isKeyword(tok, "FALSE")) {
            *literal = qlonglong(isKeyword(tok, "TRUE") ? 1 : 0);
        } else if (isKeyword(tok, "NULL")) {
            *literal = QVariant();
        } else {
            return false;
        }
        advance();
        return true;
    }

    NodePtr comparison()
    {
        WqlQuery::Node node;
        if (!operand(&node.leftProp, &node.left))
            return {};
        if (acceptKeyword("IS")) {
            node.type = WqlQuery::Node::IsNull;
            node.negated = acceptKeyword("NOT");
            if (!acceptKeyword("NULL"))
                return {};
        } else if (isKeyword(tok, "NOT") || isKeyword(tok, "LIKE")) {
            node.type = WqlQuery::Node::Like;
            node.negated = acceptKeyword("NOT");
            if (!acceptKeyword("LIKE") || tok.type != Token::String)
                return {};
            node.right = tok.text;
            advance();
        } else {
            if (tok.type != Token::Symbol
                || !QStringList({"=", "<>", "!=", "<", "<=", ">", ">="}).contains(tok.text))
                return {};
            node.op = tok.text;
            advance();
            if (!operand(&node.rightProp, &node.right))
                return {};
        }
        return std::make_shared<WqlQuery::Node>(node);
    }

    Lexer lexer;
    Token tok;
};

WqlQuery WqlQuery::parse(const QString &text)
{
    return WqlParser(text).parse();
}

namespace {

void collectProperties(const WqlQuery::Node *node, QStringList *out)
{
    if (!node)
        return;
    for (const QString &p : {node->leftProp, node->rightProp})
        if (!p.isEmpty())
            out->append(p);
    for (const auto &child : node->children)
        collectProperties(child.get(), out);
}

bool isNumber(const QVariant &v, qlonglong *n)
{
    bool ok = false;
    *n = v.userType() == QMetaType::LongLong ? v.toLongLong() : v.toString().toLongLong(&ok);
    return v.userType() == QMetaType::LongLong || ok;
}

bool compare(const QVariant &a, const QString &op, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return false;
    int order;
    qlonglong x, y;
    const bool numeric = a.userType() == QMetaType::LongLong || b.userType() == QMetaType::LongLong;
    if (numeric && isNumber(a, &x) && isNumber(b, &y))
        order = x < y ? -1 : (x > y ? 1 : 0);
    else
        order = a.toString().compare(b.toString()); // Linux names differ by letter case
    if (op == QLatin1String("="))
        return order == 0;
    if (op == QLatin1String("<>") || op == QLatin1String("!="))
        return order != 0;
    if (op == QLatin1String("<"))
        return order < 0;
    if (op == QLatin1String("<="))
        return order <= 0;
    if (op == QLatin1String(">"))
        return order > 0;
    return order >= 0;
}

bool evaluate(const WqlQuery::Node *node, const WqlQuery::Lookup &value)
{
    const auto operandValue = [&](const QString &prop, const QVariant &literal) {
        return prop.isEmpty() ? literal : value(prop);
    };
    switch (node->type) {
    case WqlQuery::Node::Or:
        for (const auto &child : node->children)
            if (evaluate(child.get(), value))
                return true;
        return false;
    case WqlQuery::Node::And:
        for (const auto &child : node->children)
            if (!evaluate(child.get(), value))
                return false;
        return true;
    case WqlQuery::Node::Not:
        return !evaluate(node->children.first().get(), value);
    case WqlQuery::Node::IsNull:
        return operandValue(node->leftProp, node->left).isNull() != node->negated;
    case WqlQuery::Node::Like: {
        const QVariant v = operandValue(node->leftProp, node->left);
        return !v.isNull() && WqlQuery::like(v.toString(), node->right.toString()) != node->negated;
    }
    case WqlQuery::Node::Compare:
        return compare(operandValue(node->leftProp, node->left), node->op,
                       operandValue(node->rightProp, node->right));
    }
    return false;
}

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Matches one character against the set that starts after '[' at p[pi]; sets *end to the
// index after ']'. False with *end == -1 when the set is not closed.
bool inSet(QChar c, const QString &p, int pi, int *end)
{
    const bool negate = pi < p.size() && p.at(pi) == QLatin1Char('^');
    if (negate)
        ++pi;
    bool found = false;
    for (int i = pi; i < p.size(); ++i) {
        if (p.at(i) == QLatin1Char(']') && i > pi) {
            *end = i + 1;
            return found != negate;
        }
        if (i + 2 < p.size() && p.at(i + 1) == QLatin1Char('-') && p.at(i + 2) != QLatin1Char(']')) {
            const QChar lo = p.at(i).toCaseFolded(), hi = p.at(i + 2).toCaseFolded();
            const QChar f = c.toCaseFolded();
            found = found || (f >= lo && f <= hi);
            i += 2;
        } else {
            found = found || sameLetter(c, p.at(i));
        }
    }
    *end = -1;
    return false;
}

// One pattern element (a letter, '_' or a set) against one character; *next is the index of the
// element after it.
bool elementMatches(QChar c, const QString &p, int pi, int *next)
{
    const QChar e = p.at(pi);
    if (e == QLatin1Char('[')) {
        int end;
        const bool hit = inSet(c, p, pi + 1, &end);
        if (end >= 0) {
            *next = end;
            return hit;
        }
        // An unclosed '[' stands for itself.
    }
    *next = pi + 1;
    return e == QLatin1Char('_') || sameLetter(c, e);
}

// Every other element matches exactly one character, so on a mismatch only the last '%' needs
// to take one character more: time grows with text times pattern, never exponentially, however
// many '%' a device string brings into a pattern.
bool likeFrom(const QString &t, const QString &p)
{
    int ti = 0, pi = 0;
    int starPi = -1, starTi = 0;
    while (ti < t.size()) {
        int next;
        if (pi < p.size() && p.at(pi) == QLatin1Char('%')) {
            starPi = ++pi;
            starTi = ti;
        } else if (pi < p.size() && elementMatches(t.at(ti), p, pi, &next)) {
            pi = next;
            ++ti;
        } else if (starPi >= 0) {
            pi = starPi;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p.at(pi) == QLatin1Char('%'))
        ++pi;
    return pi == p.size();
}

} // namespace

QStringList WqlQuery::conditionProperties() const
{
    QStringList out;
    collectProperties(where.get(), &out);
    return out;
}

bool WqlQuery::matches(const Lookup &value) const
{
    return !where || evaluate(where.get(), value);
}

bool WqlQuery::like(const QString &text, const QString &pattern)
{
    return likeFrom(text, pattern);
}
