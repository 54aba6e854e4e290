#include "tags/TagError.h"

#include <cerrno>
#include <string>

namespace cvtags {
namespace {

thread_local std::error_code g_lastError;

class Category final : public std::error_category {
public:
    const char *name() const noexcept override { return "cvtags"; }
    std::string message(int value) const override
    {
        switch (static_cast<TagError>(value)) {
        case TagError::FileChanged: return "the file changed while it was being saved";
        case TagError::UnreadableTag: return "the tag's frames cannot be read to their end";
        case TagError::UnconvertibleFrame: return "a frame has no counterpart in the tag version written";
        case TagError::NoTag: return "the file has no such tag";
        case TagError::TooLarge: return "the tag is too large";
        case TagError::NotRegularFile: return "not a regular file";
        case TagError::TooShort: return "the file is too short";
        case TagError::NoJournal: return "the journal of saves in progress cannot be used";
        }
        return "unknown tag error";
    }
};

} // namespace

const std::error_category &TagErrorCategory()
{
    static const Category category;
    return category;
}

std::error_code LastError() { return g_lastError; }
void SetLastError(std::error_code error) { g_lastError = error; }

bool FailWithErrno()
{
    SetLastError(std::error_code(errno ? errno : EIO, std::generic_category()));
    return false;
}

bool Fail(TagError error)
{
    SetLastError(error);
    return false;
}

} // namespace cvtags
