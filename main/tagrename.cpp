#include "main/main.h"

void TfUtilities::UpdateRenamePreview() {}
