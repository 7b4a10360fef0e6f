// Tooltips whose text is shown as it is: a tooltip that looks like markup is read as markup, and
// names on the stick or on the computer may well look like it ("<b>.iso").
#pragma once

#include <QString>
#include <QTextDocument>

namespace PlainTip {

inline QString of(const QString &text)
{
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

} // namespace PlainTip
