#pragma once

#include <QString>

// Sections and keys of the settings file Lectoria/Lectoria.ini.
namespace SettingsKeys {

inline const QString TreeView = QStringLiteral("TreeView");
inline const QString NormDocButton = QStringLiteral("NormDocButton");
inline const QString Width = QStringLiteral("Width");
inline const QString TekFileName = QStringLiteral("TekFileName");

inline const QString SortDate = QStringLiteral("SortDate");
inline const QString Checked = QStringLiteral("Checked");

inline const QString CppWebBrowser = QStringLiteral("CppWebBrowser");
inline const QString Scale = QStringLiteral("Scale");

inline const QString Search = QStringLiteral("Search");
inline const QString WholeWords = QStringLiteral("WholeWords");
inline const QString Register = QStringLiteral("Register");
inline const QString BackColor = QStringLiteral("BackColor");
inline const QString FontColor = QStringLiteral("FontColor");
inline const QString Context = QStringLiteral("Context");
inline QString findKod(int number)
{
    return QStringLiteral("FindKod_") + QString::number(number);
}
inline constexpr int HistorySize = 20;

inline const QString File = QStringLiteral("File");
inline const QString ExternalDirectory = QStringLiteral("ExternalDirectory");

} // namespace SettingsKeys
