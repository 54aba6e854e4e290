#pragma once

class TfUtilities;
class QWidget;

// Fills the "ID3v1" and "ID3v2" sheets of the tag editor with their fields and field buttons,
// creates the bottom panel pAbajoTag (returned, to be placed under pcID3) and connects them.
QWidget *BuildTagEditor(TfUtilities &window);
