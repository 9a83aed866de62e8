#pragma once

// Reading and writing the record files byte for byte, for the tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

// Called as QVERIFY(writeBytes(...)): a set-up that could not be written stops the test.
[[nodiscard]] inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qWarning("cannot write %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}
