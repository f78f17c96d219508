#pragma once
// Saving the selected items as a data file, after the file dialog "Save the
// nodes on the list in a tab-delimited text file": File/Save Selected Items,
// the table view's "Save selected items" and the detail panel's save button.
class CArxDoc;
class QWidget;

// False when cancelled or the save failed (after its message).
bool saveSelectedItemsWithDialog(QWidget* parent, CArxDoc& doc);
