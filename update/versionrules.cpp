#include "update/versionrules.h"

#include <limits>

bool ParseWholeNumber(const QString &text, std::int32_t &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i == text.size())
        return false;
    // Accumulate the magnitude in 64 bits so the lowest 32-bit number still fits.
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max())
        return false;
    value = std::int32_t(signedValue);
    return true;
}

namespace {

// The text before the first "."; the text is cut after that "." (or left as it is when it
// has none, which leaves the number empty).
QString TakeField(QString &text)
{
    const qsizetype dot = text.indexOf(u'.');
    const QString field = text.left(dot < 0 ? 0 : dot);
    text.remove(0, dot + 1);
    return field;
}

} // namespace

bool ParseVersionText(const QString &text, CheckedVersion &version)
{
    version = {};
    const qsizetype f = text.indexOf(u'F');
    QString rest = text.left(f < 0 ? 0 : f);
    std::int32_t major = 0, minor = 0, build = 0;
    if (!ParseWholeNumber(TakeField(rest), major) || !ParseWholeNumber(TakeField(rest), minor)
        || !ParseWholeNumber(rest, build))
        return false;
    version.Major = std::uint16_t(std::uint32_t(major) & 0xFFFFu);
    version.Minor = std::uint16_t(std::uint32_t(minor) & 0xFFFFu);
    version.Build = std::uint16_t(std::uint32_t(build) & 0xFFFFu);
    return true;
}

bool IsNewerVersion(const CheckedVersion &server, const CheckedVersion &running)
{
    if (server.Major != running.Major)
        return server.Major > running.Major;
    if (server.Minor != running.Minor)
        return server.Minor > running.Minor;
    return server.Build > running.Build;
}

CheckedVersion CheckedVersionOf(const FileVersion &version) { return {version.Major, version.Minor, version.Build}; }

QString VersionNumbers(const FileVersion &version)
{
    return QStringLiteral("%1.%2.%3.%4").arg(version.Major).arg(version.Minor).arg(version.Release).arg(version.Build);
}
