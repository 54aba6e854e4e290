#include "update/version.h"

void CheckForNewVersion(TfUtilities *)
{
    // The version window and its worker are not part of this build yet; until they are,
    // there is nothing to show and nothing is asked of the server.
}
