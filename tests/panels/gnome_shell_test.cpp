#include <signal.h>

#include <cstdlib>
#include <thread>

#include "tests/panels/tray_picture.h"

namespace e2e {
namespace {

// A text row of a menu entry is at least this high; separators are thinner.
constexpr int kEntryRowHeight = 6;
constexpr double kEntryInk = 3.0;

// Whether a line of host-sim reports a request to the host.
bool isRequest(const std::string& line) { return line.find(" host: show") != std::string::npos; }

// The runs of rows in the box that hold text against its first pixel's
// colour, at least kEntryRowHeight high.
int textRowsIn(const Image& shot, const Box& box) {
  const Rgb background = shot.at(box.left, box.bottom - 1);
  int rows = 0;
  int run = 0;
  for (int y = box.top; y <= box.bottom; ++y) {
    bool ink = false;
    for (int x = box.left; y < box.bottom && x < box.right && !ink; ++x) {
      ink = contrastRatio(shot.at(x, y), background) >= kEntryInk;
    }
    run = ink ? run + 1 : 0;
    if (!ink && run == 0) continue;
    if (run == kEntryRowHeight) ++rows;
  }
  return rows;
}

class GnomeShellTest : public PanelFixture {
 protected:
  // Where the agent's item shows once it has held still for 300 ms.
  std::optional<Box> itemBox(const Image& before) {
    for (const auto deadline = Clock::now() + 20s; Clock::now() < deadline;) {
      const auto first = screenshot();
      std::this_thread::sleep_for(300ms);
      const auto second = screenshot();
      if (!first || !second) continue;
      const auto box = changedBox(before, *second, 0, kGnomeBarHeight, kGnomeTrayLeft);
      if (box && box == changedBox(before, *first, 0, kGnomeBarHeight, kGnomeTrayLeft)) return box;
    }
    return std::nullopt;
  }

  void clickAt(const Box& box, const Strings& click) {
    Strings command = {"xdotool", "mousemove", std::to_string((box.left + box.right) / 2),
                       std::to_string((box.top + box.bottom) / 2)};
    command.insert(command.end(), click.begin(), click.end());
    ASSERT_TRUE(run(command));
  }
};

// The extension opens an item's menu on a single left click and calls
// Activate only on a double click; it never reads ItemIsMenu.
TEST_F(GnomeShellTest, TheNetworkMenuShowsItsEntriesAndADoubleClickOnEachItemReachesTheHost) {
  startPanel(gnomeShell(false));
  if (IsSkipped() || HasFatalFailure()) return;
  // host-sim ends at the end of its input: a sleep keeps that open.
  Process& host = start({"sh", "-c", "sleep 1000 | " + std::string{kHostSim} + " --no-agents"});
  const struct {
    const char* program;
    int menuEntries;
    std::string request;
  } agents[] = {{kNetworkAgent, 3, "showWindow"}, {kSleepAgent, 0, "showSleepManagement"}};
  const auto empty = screenshot();
  ASSERT_TRUE(empty);
  for (const auto& [program, menuEntries, request] : agents) {
    SCOPED_TRACE(program);
    // The bar as it was before any item: the one before is gone.
    std::optional<Image> before;
    for (const auto deadline = Clock::now() + 10s; Clock::now() < deadline;) {
      before = screenshot();
      if (before && !changedBox(*empty, *before, 0, kGnomeBarHeight, kGnomeTrayLeft)) break;
      std::this_thread::sleep_for(200ms);
    }
    ASSERT_TRUE(before);
    Process& agent = startAgent(program, std::to_string(host.id()));
    const auto box = itemBox(*before);
    ASSERT_TRUE(box) << "the item never showed";
    if (menuEntries > 0) {
      const auto closed = screenshot();
      ASSERT_TRUE(closed);
      // The host reads the menu after it shows the item: until then a right
      // click opens nothing.
      std::optional<Image> open;
      std::optional<Box> menu;
      for (const auto deadline = Clock::now() + 10s; !menu && Clock::now() < deadline;) {
        clickAt(*box, {"click", "3"});
        std::this_thread::sleep_for(700ms);
        open = screenshot();
        if (open) menu = changedBox(*closed, *open, kGnomeBarHeight, open->height);
      }
      ASSERT_TRUE(menu) << "no menu opened";
      EXPECT_EQ(textRowsIn(*open, *menu), menuEntries) << "entries in the menu";
      ASSERT_TRUE(run({"xdotool", "key", "Escape"}));
    }
    clickAt(*box, {"click", "--repeat", "2", "--delay", "80", "1"});
    const auto seen = host.next(isRequest, 5s);
    EXPECT_EQ(seen ? seen->substr(seen->find(" host: ") + 7) : "", request);
    ASSERT_TRUE(run({"xdotool", "key", "Escape"}));
    kill(agent.id(), SIGTERM);
    EXPECT_EQ(agent.waitForExit(5s), 0);
  }
}

}  // namespace
}  // namespace e2e
