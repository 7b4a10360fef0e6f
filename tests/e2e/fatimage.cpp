#include "fatimage.h"

#include <QProcess>
#include <QRegularExpression>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryFile>

bool FatImage::tool(const QString &program, const QStringList &args, QByteArray *out,
                    const QByteArray &input)
{
    QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        exe = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (exe.isEmpty()) {
        lastReport = program + QStringLiteral(" is not installed");
        return false;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(exe, args);
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    lastReport = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool FatImage::isClean()
{
    QByteArray out;
    const bool ok = tool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), path}, &out);
    // A clean check prints its banner and one summary line, nothing else.
    const QList<QByteArray> lines = out.trimmed().split('\n');
    const bool quiet = lines.size() == 2 && lines.at(1).contains(" files, ");
    lastReport = QString::fromLocal8Bit(out) + lastReport;
    return ok && quiet;
}

bool FatImage::room(qint64 *capacity, qint64 *freeBytes)
{
    QByteArray out;
    if (!tool(QStringLiteral("fsck.fat"), {QStringLiteral("-n"), QStringLiteral("-v"), path}, &out))
        return false;
    const QString text = QString::fromLocal8Bit(out);
    const auto count = QRegularExpression(QStringLiteral(" (\\d+)/(\\d+) clusters\n")).match(text);
    const auto size = QRegularExpression(QStringLiteral("(\\d+) bytes per cluster")).match(text);
    const qint64 cluster = size.captured(1).toLongLong();
    *capacity = count.captured(2).toLongLong() * cluster;
    *freeBytes = *capacity - count.captured(1).toLongLong() * cluster;
    return count.hasMatch() && size.hasMatch();
}

QStringList FatImage::entries()
{
    QByteArray out;
    tool(QStringLiteral("mdir"), {QStringLiteral("-/"), QStringLiteral("-b"), QStringLiteral("-i"), path,
                                  QStringLiteral("::/")},
         &out);
    QStringList list;
    for (const QByteArray &line : out.split('\n')) {
        const QString entry = QString::fromUtf8(line).trimmed();
        if (entry.startsWith(QLatin1String("::/")))
            list << entry.mid(2);
    }
    list.sort();
    return list;
}

QByteArray FatImage::read(const QString &file)
{
    QByteArray out;
    if (!tool(QStringLiteral("mcopy"), {QStringLiteral("-n"), QStringLiteral("-i"), path,
                                        QStringLiteral("::") + file, QStringLiteral("-")},
              &out))
        return {};
    return out.isNull() ? QByteArray("") : out;
}

bool FatImage::write(const QString &file, const QByteArray &content)
{
    QTemporaryFile source;
    if (!source.open() || source.write(content) != content.size() || !source.flush())
        return false;
    return tool(QStringLiteral("mcopy"), {QStringLiteral("-o"), QStringLiteral("-i"), path,
                                          source.fileName(), QStringLiteral("::") + file},
                nullptr);
}
