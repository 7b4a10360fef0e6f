#include "copy/fatname.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace {

const QString forbidden = QStringLiteral("\\/:*?\"<>|");

bool isForbidden(QChar c)
{
    return c.unicode() < 0x20 || forbidden.contains(c);
}

} // namespace

FatName::Problem FatName::check(const QString &name)
{
    if (name.isEmpty())
        return Problem::Empty;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return Problem::Dots;
    if (std::any_of(name.begin(), name.end(), isForbidden))
        return Problem::ForbiddenCharacter;
    // Windows drops them, so the same file would not be found again under its name.
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return Problem::TrailingDotOrSpace;
    // FAT's long names count UTF-16 units, as QString does.
    if (name.size() > 255)
        return Problem::TooLong;
    // Windows opens a device for these, whatever follows the first dot. Nearly every name
    // differs in its first three letters already, which costs less to tell than a match.
    const QStringView head = QStringView(name).left(3);
    const char *const devices[] = { "CON", "PRN", "AUX", "NUL", "COM", "LPT" };
    if (std::none_of(std::begin(devices), std::end(devices), [&](const char *device) {
            return head.compare(QLatin1String(device), Qt::CaseInsensitive) == 0;
        }))
        return Problem::None;
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(name).hasMatch())
        return Problem::Reserved;
    return Problem::None;
}

QString FatName::reason(Problem problem)
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Empty:
        return tr("a name on the discwand cannot be empty");
    case Problem::Dots:
        return tr("\".\" and \"..\" cannot name anything on the discwand");
    case Problem::ForbiddenCharacter:
        return tr("a name on the discwand cannot hold any of \\ / : * ? \" < > | (nor control "
                  "characters)");
    case Problem::TrailingDotOrSpace:
        return tr("a name on the discwand cannot end in a dot or a space");
    case Problem::TooLong:
        return tr("a name on the discwand can be 255 characters long at most");
    case Problem::Reserved:
        return tr("Windows keeps this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 "
                  "to LPT9)");
    }
    return {};
}

bool FatName::isLatin1(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

QString FatName::firstNotLatin1(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        if (!isLatin1(part))
            return part;
    return {};
}

QString FatName::fixed(const QString &name)
{
    QString fix;
    for (const QChar c : name)
        if (c.unicode() >= 0x20)
            fix += forbidden.contains(c) ? QLatin1Char('_') : c;
    while (fix.endsWith(QLatin1Char('.')) || fix.endsWith(QLatin1Char(' ')))
        fix.chop(1);
    if (check(fix) == Problem::Reserved)
        fix.prepend(QLatin1Char('_'));
    return check(fix) == Problem::None && fix != name ? fix : QString();
}
