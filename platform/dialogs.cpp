#include "platform/dialogs.h"
