#include "platform/settingskey.h"

#include "platform/failure.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace {

QString WrongType(const QString &name)
{
    return QStringLiteral("Tipo de datos no válido para '%1'").arg(name);
}

} // namespace

QString CannotReadSettingsText(const QString &path)
{
    return QStringLiteral("No se puede leer %1 — %2").arg(path, ReasonText(ReadAccessError(path)));
}

QString CannotSaveSettingsText(const QString &path)
{
    return QStringLiteral("No se puede guardar la configuración en %1 — %2").arg(path, ReasonText(WriteAccessError(path)));
}

QString IniFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/CarventoUtilities.INI");
}

SettingsKey::SettingsKey() = default;

SettingsKey::~SettingsKey() { Close(); }

QString SettingsKey::FilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
           + QStringLiteral("/settings.ini");
}

bool SettingsKey::Open()
{
    Close();
    lastError_.clear();
    const QString path = FilePath();
    // Create the store when missing, and make sure it can be read at all; a store that can
    // be read but not written still gives its values.
    QFile file(path);
    if (!file.exists()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!file.open(QIODevice::WriteOnly)) {
            lastError_ = CannotSaveSettingsText(path);
            return false;
        }
    } else if (!file.open(QIODevice::ReadOnly)) {
        lastError_ = CannotReadSettingsText(path);
        return false;
    }
    file.close();
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings_->status() == QSettings::AccessError) {
        settings_.reset();
        lastError_ = CannotReadSettingsText(path);
        return false;
    }
    return true;
}

void SettingsKey::Close()
{
    if (settings_)
        settings_->sync();
    settings_.reset();
}

bool SettingsKey::IsOpen() const { return settings_ != nullptr; }

bool SettingsKey::ValueExists(const QString &name) const
{
    return settings_ && settings_->contains(name);
}

bool SettingsKey::ReadString(const QString &name, QString &value)
{
    value.clear();
    if (!settings_) {
        lastError_ = QStringLiteral("La clave no está abierta");
        return false;
    }
    QString error;
    if (!ReadText(*settings_, name, value, error)) {
        lastError_ = error;
        return false;
    }
    return true;
}

bool SettingsKey::ReadInteger(const QString &name, int &value)
{
    value = 0;
    QString text;
    if (!ReadString(name, text))
        return false;
    if (!settings_->contains(name))
        return true;
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok) {
        lastError_ = WrongType(name);
        return false;
    }
    value = number;
    return true;
}

bool SettingsKey::ReadBool(const QString &name, bool &value)
{
    int number = 0;
    const bool ok = ReadInteger(name, number);
    value = number != 0;
    return ok;
}

bool SettingsKey::WriteString(const QString &name, const QString &value)
{
    if (!settings_) {
        lastError_ = QStringLiteral("La clave no está abierta");
        return false;
    }
    settings_->setValue(name, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        lastError_ = CannotSaveSettingsText(FilePath());
        return false;
    }
    return true;
}

bool SettingsKey::WriteInteger(const QString &name, int value)
{
    return WriteString(name, QString::number(value));
}

bool SettingsKey::WriteBool(const QString &name, bool value) { return WriteInteger(name, value ? 1 : 0); }

QString SettingsKey::LastError() const { return lastError_; }

namespace {

// Undoes the %XX and %UXXXX escapes QSettings puts into keys and section names.
QString UnescapeKey(const QString &key)
{
    QString result;
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (key.at(i) == QLatin1Char('%')) {
            bool ok = false;
            if (i + 5 < key.size() && key.at(i + 1) == QLatin1Char('U')) {
                const ushort code = key.mid(i + 2, 4).toUShort(&ok, 16);
                if (ok) {
                    result.append(QChar(code));
                    i += 5;
                    continue;
                }
            } else if (i + 2 < key.size()) {
                const ushort code = key.mid(i + 1, 2).toUShort(&ok, 16);
                if (ok) {
                    result.append(QChar(code));
                    i += 2;
                    continue;
                }
            }
        }
        result.append(key.at(i));
    }
    return result;
}

// The value of section/key as the file spells it, for values QSettings would split at
// their commas.
bool RawValue(const QString &fileName, const QString &section, const QString &key, QString &value)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QString current = QStringLiteral("General");
    bool found = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = UnescapeKey(line.mid(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || current != section)
            continue;
        if (UnescapeKey(line.left(equals).trimmed()) == key) {
            value = line.mid(equals + 1).trimmed();
            found = true; // the last one wins, as in QSettings
        }
    }
    return found;
}

} // namespace

bool SettingsKey::ReadText(QSettings &settings, const QString &name, QString &value, QString &error)
{
    value.clear();
    const QVariant stored = settings.value(name);
    if (!stored.isValid())
        return true;
    switch (stored.typeId()) {
    case QMetaType::QString:
        value = stored.toString();
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        value = stored.toString();
        return true;
    case QMetaType::QStringList: {
        // An INI file holds text only: a hand-written value with commas is still one text.
        QString fullKey = settings.group().isEmpty() ? name : settings.group() + QLatin1Char('/') + name;
        const qsizetype slash = fullKey.lastIndexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QStringLiteral("General") : fullKey.left(slash);
        const QString key = slash < 0 ? fullKey : fullKey.mid(slash + 1);
        if (RawValue(settings.fileName(), section, key, value))
            return true;
        value = stored.toStringList().join(QLatin1Char(','));
        return true;
    }
    default:
        error = WrongType(name);
        return false;
    }
}
