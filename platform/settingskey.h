#pragma once

#include <QString>

#include <memory>

class QSettings;

// The values of the settings key.
inline const QString RutaRenombradorValue = QStringLiteral("RUTA RENOMBRADOR");
inline const QString RutaTagValue = QStringLiteral("RUTA TAG");
inline const QString RevisarValue = QStringLiteral("REVISAR");

// The standard error reports of a settings file that cannot be read or saved, naming the file
// and why.
QString CannotReadSettingsText(const QString &path);
QString CannotSaveSettingsText(const QString &path);

// The INI file of the small renaming dialogs: CarventoUtilities.INI beside settings.ini.
QString IniFilePath();

// The per-user settings key "\Software\CarventoUtilities": an INI file
// (settings.ini in the program's config folder). The key's own values live at the top
// level; a sub-key is a section of that name. Integers are stored as decimal text.
//
// Reading a value of the wrong type (an integer that is not a number, a text stored as a
// list…) fails and leaves an error text in LastError(), which the caller reports.
class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey &) = delete;
    SettingsKey &operator=(const SettingsKey &) = delete;

    // Opens the key, creating the store when missing; false when it cannot be opened, with
    // CannotReadSettingsText in LastError(). A write that fails leaves CannotSaveSettingsText.
    bool Open();
    void Close();                       // writes pending changes to disk
    bool IsOpen() const;

    bool ValueExists(const QString &name) const;
    bool ReadString(const QString &name, QString &value);   // absent → "" and true
    bool ReadInteger(const QString &name, int &value);      // absent → 0 and true
    bool ReadBool(const QString &name, bool &value);        // integer, 0 = false
    bool WriteString(const QString &name, const QString &value);
    bool WriteInteger(const QString &name, int value);
    bool WriteBool(const QString &name, bool value);        // written as 0 or 1
    QString LastError() const;

    // Where the store lives: <config folder>/CarventoUtilities/settings.ini
    static QString FilePath();

    // Reads one value of an INI-format QSettings as text, the way the key reads its own
    // values: absent → "" and true; a binary or other non-text value → false and an error
    // text. A hand-written value with commas reads back as written.
    static bool ReadText(QSettings &settings, const QString &name, QString &value, QString &error);

private:
    std::unique_ptr<QSettings> settings_;
    QString lastError_;
};
