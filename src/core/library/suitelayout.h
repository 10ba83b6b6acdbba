#pragma once

#include <QString>

// Where the parts of a suite lie, from the file of its program, as an installed suite lays
// them out:
//   <suite>/Bin/lectoria                  the program
//   <suite>/Bin/Lectoria/Lectoria.ini     the settings the suite ships
//   <suite>/Bin/Lectoria/<program>.htm    the user guide
//   <suite>/NormDoc, <suite>/TQ_W         the collections (CollectionLists)
class SuiteLayout
{
public:
    // programFile: the program's file, relative or absolute.
    explicit SuiteLayout(const QString& programFile);

    const QString& programFile() const { return m_programFile; }
    // The program's folder, with a final "/".
    QString programFolder() const;
    QString shippedSettingsFile() const;
    QString helpFile() const;
    // The suite's folder (the program folder's parent), with a final "/"; a program in the
    // file system's root has no parent: the suite is the root itself.
    QString suiteDir() const;

private:
    QString m_programFile; // absolute
};
