// Asks for an image's address on the web, the folder on the stick it goes into and, if the
// user has one, its checksum: a SHA-256 in hex or the address of a checksum file.
#pragma once

#include <QDialog>
#include <QUrl>

class QDialogButtonBox;
class QLineEdit;

class AddressDialog : public QDialog
{
    Q_OBJECT
public:
    AddressDialog(const QString &folder, QWidget *parent);

    QUrl url() const;
    QString folder() const;
    // What was given as the checksum: 64 hex digits, or else an address; both empty when none.
    QByteArray sha256() const;
    QUrl sumsUrl() const;

private:
    void check();

    QLineEdit *address;
    QLineEdit *place;
    QLineEdit *checksum;
    QDialogButtonBox *buttons;
};
