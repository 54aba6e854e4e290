#pragma once

class TfUtilities;

// Runs one whole check for a newer version with its window and messages; returns when the
// window has closed.
void CheckForNewVersion(TfUtilities *owner);
