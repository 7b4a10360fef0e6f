// A reader for the WQL that detection sends: "SELECT <properties|*> FROM <class> [WHERE ...]"
// and "ASSOCIATORS OF {<class>[.DeviceID]='<key>'} [WHERE ResultClass=<class>]". It also tells
// whether one instance satisfies the WHERE condition.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class WqlQuery
{
public:
    enum Kind { Invalid, Select, Associators };
    // Value of a property of the instance under test: a QString, a qlonglong or null.
    using Lookup = std::function<QVariant(const QString &property)>;

    static WqlQuery parse(const QString &text);

    Kind kind() const { return queryKind; }
    bool isValid() const { return queryKind != Invalid; }
    // SELECT: the class after FROM. ASSOCIATORS: the class of the source object.
    QString className() const { return cls; }
    // SELECT: the listed properties, empty for "*".
    QStringList properties() const { return selected; }
    // ASSOCIATORS: the key of the source object and the property that names it ("" if not given).
    QString objectKey() const { return key; }
    QString keyProperty() const { return keyProp; }
    QString resultClass() const { return resultCls; }
    QString assocClass() const { return assocCls; }
    // Every property named in the WHERE condition of a SELECT.
    QStringList conditionProperties() const;
    // True when the instance satisfies the WHERE condition (always when there is none).
    bool matches(const Lookup &value) const;

    // WQL LIKE: % any run, _ any one character, [abc], [a-z] and [^...] sets; letter case ignored.
    static bool like(const QString &text, const QString &pattern);

    struct Node;

private:
    friend class WqlParser;
    Kind queryKind = Invalid;
    QString cls;
    QStringList selected;
    QString key;
    QString keyProp;
    QString resultCls;
    QString assocCls;
    std::shared_ptr<const Node> where;
};
