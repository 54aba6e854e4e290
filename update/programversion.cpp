#include "update/versionrules.h"

// The one file compiled with the version numbers, so a new version rebuilds nothing else.
FileVersion ProgramVersion() { return {CV_VERSION_MAJOR, CV_VERSION_MINOR, CV_VERSION_RELEASE, CV_VERSION_BUILD}; }
