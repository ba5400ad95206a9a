// Help: the help file's topics by context number, and ShowHelp over a help port.
//
// The help file is plain text. A line "@topic <number> <title>" starts a topic; the lines up
// to the next such line are its text. Context 10 is the contents. Lines before the first
// topic and lines starting with "#" are ignored.
#pragma once
#include <map>
#include <string>

namespace core {

constexpr int kHelpContents = 10;

struct HelpTopic {
  std::string title;
  std::string text;
};

struct HelpBook {
  std::map<int, HelpTopic> topics;
  // The topic of a context, or the contents when there is none of that number; nullptr when
  // the book has neither.
  const HelpTopic* Find(int context) const;
};

HelpBook ParseHelpText(const std::string& text);
// Reads and parses a help file; false when it cannot be read.
bool LoadHelpFile(const std::string& path, HelpBook& book);

// The context a help request opens: 0 counts as 10; above 10 its low 16 bits; else the contents.
int HelpContextToShow(int context);
// Opens the help file at that context (see HelpContextToShow).
void ShowHelp(int context);
// Tells the help system that the program quits.
void QuitHelp();

}  // namespace core
