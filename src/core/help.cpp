// Help topics and the help call.
#include "core/help.h"

#include <atomic>
#include <cstdlib>

#include "core/settings.h"
#include "ui/front_end.h"
#include "platform/fs.h"

namespace core {
namespace {
}

const HelpTopic* HelpBook::Find(int context) const {
  auto it = topics.find(context);
  if (it == topics.end()) it = topics.find(kHelpContents);
  return it == topics.end() ? nullptr : &it->second;
}

HelpBook ParseHelpText(const std::string& text) {
  HelpBook book;
  HelpTopic* current = nullptr;
  for (std::string& line : platform::SplitLines(text)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 7, "@topic ") == 0) {
      char* end = nullptr;
      long number = std::strtol(line.c_str() + 7, &end, 10);
      if (end == line.c_str() + 7) {
        current = nullptr;
        continue;
      }
      while (*end == ' ') ++end;
      current = &book.topics[static_cast<int>(number)];
      current->title = end;
      current->text.clear();
      continue;
    }
    if (!current || (!line.empty() && line[0] == '#')) continue;
    current->text += line;
    current->text += "\r\n";
  }
  return book;
}

bool LoadHelpFile(const std::string& path, HelpBook& book) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) return false;
  book = ParseHelpText(text);
  return true;
}


int HelpContextToShow(int context) {
  if (context == 0) context = kHelpContents;
  if (context > kHelpContents) return context & 0xFFFF;
  return kHelpContents;
}

void ShowHelp(int context) {
  ui::Front().ShowHelp(Files().helpFile, HelpContextToShow(context));
}

void QuitHelp() {
  ui::Front().QuitHelp();
}

}  // namespace core
