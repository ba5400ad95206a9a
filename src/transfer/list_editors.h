// The logic of the two list editors (ASCII extensions, extension conversions), over controls.
#pragma once
#include <string>

#include "ui/controls.h"

namespace transfer {

constexpr int kListEditorHelp = 265;

// DLG_EXTENSIONS: an entry field (954) and a sorted list (955) of the ASCII extension list.
class AsciiExtensionsEditor {
 public:
  AsciiExtensionsEditor(ui::Edit& entry, ui::ListBox& list) : entry_(entry), list_(list) {}
  // Fills the list from the file; without a file it holds ".TXT".
  void Open();
  // Adds the entry's text unless it is listed already (ignoring case) or has 1 character or less.
  void Add();
  // Copies the selected item into the entry.
  void Select();
  // Removes the item equal to the entry's text.
  void Delete();
  // Writes every item of more than 1 character to the file, replacing it. False when it cannot be written.
  bool Exit();

 private:
  ui::Edit& entry_;
  ui::ListBox& list_;
};

// DLG_CONVERT: source (954) and destination (956) fields and a sorted list (955) of "source=destination".
class ConversionsEditor {
 public:
  ConversionsEditor(ui::Edit& source, ui::Edit& destination, ui::ListBox& list)
      : source_(source), destination_(destination), list_(list) {}
  void Open();
  // Replaces any item for the same source, then adds "source=destination" (a non-empty source).
  void Add();
  // Splits the selected item into the two fields.
  void Select();
  // Removes the item for the source (its first 9 characters).
  void Delete();
  bool Exit();

 private:
  int FindSource(const std::string& source) const;
  ui::Edit& source_;
  ui::Edit& destination_;
  ui::ListBox& list_;
};

}  // namespace transfer
