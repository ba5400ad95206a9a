// Fills the in-memory sorted list with many directory names, one by one and in a batch update,
// in descending, ascending and shuffled order, and prints the time each fill took.
// Usage: bench_sorted_fill [count]   (default 100000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace {

double Fill(const std::vector<std::string>& names, bool batch) {
  ui::MemoryListBox list(true);
  auto start = std::chrono::steady_clock::now();
  {
    ui::ListUpdate update(batch ? &list : nullptr);
    for (const std::string& n : names) list.AddString(n);
  }
  list.Text(0);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (list.Count() != static_cast<int>(names.size())) std::printf("wrong count %d\n", list.Count());
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::vector<std::string> ascending;
  char buf[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, "dir%06d", i);
    ascending.push_back(buf);
  }
  std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
  std::vector<std::string> shuffled = ascending;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
  struct Order {
    const char* name;
    const std::vector<std::string>* names;
  } orders[] = {{"descending", &descending}, {"ascending", &ascending}, {"shuffled", &shuffled}};
  for (const Order& o : orders) {
    std::printf("%d names %-10s  one by one %8.3f s   batch update %8.3f s\n", count, o.name, Fill(*o.names, false),
                Fill(*o.names, true));
    std::fflush(stdout);
  }
  return 0;
}
