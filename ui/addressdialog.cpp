// The dialog's OK is on only while what is typed can be used: an http(s) address, a folder on
// the stick, and a checksum that is a hash or an address.
#include "ui/addressdialog.h"

#include "copy/imagedownload.h"
#include "detect/discwand.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool isWebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

} // namespace

AddressDialog::AddressDialog(const QString &folder, QWidget *parent)
    : QDialog(parent)
    , address(new QLineEdit(this))
    , place(new QLineEdit(folder, this))
    , checksum(new QLineEdit(this))
    , buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Get Image from Address"));
    address->setObjectName(QStringLiteral("address"));
    place->setObjectName(QStringLiteral("folder"));
    checksum->setObjectName(QStringLiteral("checksum"));
    address->setPlaceholderText(QStringLiteral("https://"));
    checksum->setPlaceholderText(tr("optional: SHA-256, or the address of SHA256SUMS"));
    address->setMinimumWidth(420);
    auto *form = new QFormLayout(this);
    form->addRow(tr("&Address:"), address);
    form->addRow(tr("&Folder on the discwand:"), place);
    form->addRow(tr("&Checksum:"), checksum);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit *edit : { address, place, checksum })
        connect(edit, &QLineEdit::textChanged, this, &AddressDialog::check);
    check();
}

QUrl AddressDialog::url() const
{
    return QUrl::fromUserInput(address->text().trimmed());
}

QString AddressDialog::folder() const
{
    return place->text().trimmed();
}

QByteArray AddressDialog::sha256() const
{
    const QString text = checksum->text().trimmed();
    return ImageDownload::isSha256(text) ? text.toLatin1() : QByteArray();
}

QUrl AddressDialog::sumsUrl() const
{
    const QString text = checksum->text().trimmed();
    return text.isEmpty() || ImageDownload::isSha256(text) ? QUrl() : QUrl::fromUserInput(text);
}

void AddressDialog::check()
{
    const bool sumsOk
        = checksum->text().trimmed().isEmpty() || !sha256().isEmpty() || isWebAddress(sumsUrl());
    buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(isWebAddress(url()) && Discwand::isStickPath(folder()) && sumsOk);
}
