// The WMI layer on Linux: the "connection" is the system's own description of its disks, and
// queries are answered by reading the WQL and looking at that description.
#include "detect/scsidrivedetector.h"
#include "detect/systemdescription.h"
#include "detect/wmiclasses.h"
#include "detect/wqlquery.h"
#include "detect/constants.h"

#include "detect/log.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

// Where the description lives (the locator's part) and the readable description itself.
struct IWbemLocator {
    QString root;
};
struct IWbemServices {
    SystemDescription description;
};

namespace {

QString withCode(const QString &message, int error)
{
    return message.arg(QString::number(quint32(error), 16)) + Discshelf::supportAddress;
}

} // namespace

void ScsiDriveDetector::connectWmi()
{
    const QString root = SystemDescription::sysroot();
    const QString rootDir = root.isEmpty() ? QStringLiteral("/") : root;
    if (::access(QFile::encodeName(rootDir).constData(), R_OK | X_OK) != 0)
        fatal(withCode(tr("Failed to create IWbemLocator object. Error code 0x%1\nIf this problem "
                          "persists, please contact "),
                       errno));
    locator = new IWbemLocator{root};
    SystemDescription description(root);
    if (const int error = description.unreadableError()) {
        releaseWmi();
        fatal(withCode(tr("Couldn't connect to local wbem thingy. Error code 0x%1\nIf this problem "
                          "persists, please contact "),
                       error));
    }
    services = new IWbemServices{description};
}

void ScsiDriveDetector::releaseWmi()
{
    delete services;
    services = nullptr;
    delete locator;
    locator = nullptr;
}

QStringList ScsiDriveDetector::queryProperty(const QString &wql, const QString &property,
                                             bool *failed, bool numeric) const
{
    QStringList values;
    const WqlQuery query = WqlQuery::parse(wql);
    // A fresh description per query: nothing read for one query is trusted for the next.
    const SystemDescription description(services->description.root());
    if (!query.isValid() || !WmiClasses(description).run(query, property, numeric, &values)) {
        qCDebug(lcDetect) << "Query" << wql << "failed.";
        *failed = true;
        return {};
    }
    return values;
}
