#pragma once

#include "testsupport/testfiles.h"

#include <QDir>
#include <QTemporaryDir>

// A suite laid out as installed: <suite>/Bin/<program>, <suite>/Bin/Lectoria/ for the
// settings, <suite>/NormDoc with documents. The program file need not exist.
class SuiteFixture
{
public:
    SuiteFixture()
    {
        QDir().mkpath(settingsFolder());
        QDir().mkpath(suiteDir() + QStringLiteral("NormDoc"));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString suiteDir() const { return m_dir.path() + QStringLiteral("/suite/"); }
    QString programFile() const { return suiteDir() + QStringLiteral("Bin/lectoria"); }
    QString settingsFolder() const { return suiteDir() + QStringLiteral("Bin/Lectoria"); }
    QString iniFile() const { return settingsFolder() + QStringLiteral("/Lectoria.ini"); }
    QString normDoc(const QString& relative = QString()) const
    {
        return suiteDir() + QStringLiteral("NormDoc") +
               (relative.isEmpty() ? QString() : u'/' + relative);
    }
    // A temporary folder of this fixture (for TMPDIR, external directories, ...).
    QString scratch(const QString& name) const
    {
        const QString path = m_dir.path() + u'/' + name;
        QDir().mkpath(path);
        return path;
    }

private:
    QTemporaryDir m_dir;
};
