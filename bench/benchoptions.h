// The options the benchmarks share: --dir DIR (where their files go; the temporary folder by
// default), --rounds N and --mib SIZE; any other "--name value" is kept for the benchmark's own.
#pragma once

#include <QDir>
#include <QHash>
#include <QStringList>

struct BenchOptions
{
    BenchOptions(const QStringList &args, qint64 defaultMib)
        : mib(defaultMib)
    {
        for (int i = 1; i + 1 < args.size(); i += 2) {
            const QString &name = args[i], &value = args[i + 1];
            if (name == QLatin1String("--dir"))
                dir = value;
            else if (name == QLatin1String("--rounds"))
                rounds = value.toInt();
            else if (name == QLatin1String("--mib"))
                mib = value.toLongLong();
            else
                other.insert(name, value);
        }
    }

    QString dir = QDir::tempPath();
    int rounds = 3;
    qint64 mib;
    QHash<QString, QString> other;
};
