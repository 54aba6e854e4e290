#include "main/main.h"

void TfUtilities::RefillValueChoices() {}
