#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <thread>

#include "tests/panels/tray_picture.h"

namespace e2e {
namespace {

enum class Shows { widePicture, squarePicture, label, labelBesideSymbol };
// A left click must reach the host, and the network item's menu open on a
// right click with its entries taken from the keyboard; or (GNOME's
// extension) Activate comes only from a double click, and the network menu
// opens on a right click with its three entries.
enum class Clicks { none, leftAndMenu, doubleAndMenu };

struct HostCase {
  std::string name;
  PanelSetup setup;
  // The screen rows of the panel with the tray.
  int top = 0;
  int bottom = 0;
  // What the network item shows there; the sleep item shows the same: its
  // title as a picture where the picture is wide, its state's character
  // filling the square, or its title as the label.
  Shows network = Shows::squarePicture;
  // Whether the item declares a label there: not where the host would show
  // it in place of the picture (MATE) or shows none (Plasma). The agent can
  // tell only by the program that owns the tray's watcher.
  bool label = true;
  // How the item is clicked on the screen, if it is.
  Clicks clicks = Clicks::none;
  // The first screen column items show in: left of it the panel may change
  // by itself (a clock).
  int left = 0;
};

// A top panel holding only the `plugin` (Xfce's tray is "systray"), light.
std::string xfcePanel(const std::string& plugin) {
  return R"(<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
<property name="panels" type="array"><value type="int" value="1"/><property name="panel-1" type="empty"><property name="position" type="string" value="p=6;x=0;y=0"/>
<property name="size" type="uint" value="26"/><property name="plugin-ids" type="array">
<value type="int" value="1"/></property></property></property><property name="plugins" type="empty">
<property name="plugin-1" type="string" value=")" +
         plugin + R"("/></property></channel>)";
}

constexpr const char* kXfceConfig = "config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml";
constexpr const char* kIndicatorService =
    "/usr/libexec/ayatana-indicator-application/ayatana-indicator-application-service";

HostCase gnome(bool dark) {
  return {dark ? "GnomeDark" : "GnomeLight",
          gnomeShell(dark),
          0,
          kGnomeBarHeight,
          Shows::labelBesideSymbol,
          true,
          Clicks::doubleAndMenu,
          kGnomeTrayLeft};
}

// Plasma's default desktop as its session starts it: kded5 serves the tray's
// watcher (it loads that module only in a Plasma session), plasmashell draws
// the default panel along the bottom, 44 px high; dark is Breeze Dark, set as
// System Settings sets a global theme.
HostCase plasma(bool dark) {
  return {dark ? "PlasmaDark" : "PlasmaLight",
          {"800x600x24",
           {"sh", "-c",
            std::string{"export KDE_FULL_SESSION=true KDE_SESSION_VERSION=5; "} +
                (dark ? "lookandfeeltool -a org.kde.breezedark.desktop; " : "") +
                "kded5 & exec plasmashell"},
           {},
           {"plasmashell", "kded5", "lookandfeeltool", "xdotool"}},
          556,
          600,
          Shows::squarePicture,
          false,
          Clicks::leftAndMenu};
}

// The pictures carry their own backdrop and the agents draw them alike
// whatever the panel's colour: MATE, Xfce, LXQt and Waybar run in one theme
// (their dark ones measured the same), the two biggest desktops in both.
std::vector<HostCase> hosts() {
  return {
      {"Lxqt",
       {"800x100x24",
        {"lxqt-panel"},
        {{"config/lxqt/panel.conf",
          "panels=panel1\n[panel1]\nplugins=statusnotifier\nposition=Top\ndesktop=0\n"
          "[statusnotifier]\ntype=statusnotifier\nalignment=Left\n"},
         // LXQt's default theme, light; without it the panel is black.
         {"config/lxqt/lxqt.conf", "[General]\ntheme=Clearlooks\n"}}},
       0,
       40},
      {"Waybar",
       {.screen = "800x200",
        .command = {"waybar"},
        .files =
            {{"config/waybar/config",
              R"({"position": "top", "height": 30, "modules-right": ["tray"], "tray": {"icon-size": 21}})"}},
        .server = PanelSetup::Server::sway},
       0,
       30,
       Shows::widePicture},
      {"XfceIndicator",
       {"800x100x24",
        {"sh", "-c", std::string{kIndicatorService} + " & exec xfce4-panel --disable-wm-check"},
        {{kXfceConfig, xfcePanel("indicator")}},
        {"xfce4-panel", kIndicatorService,
         "/usr/lib/x86_64-linux-gnu/xfce4/panel/plugins/libindicator-plugin.so"}},
       0,
       26,
       Shows::label},
      // MATE's default layout, 200 pixels high: on a lower screen MATE makes
      // its panels shorter than their applets and cuts the icons off.
      {"Mate",
       {"800x200x24", {"env", "GSETTINGS_BACKEND=memory", "mate-panel"}},
       0,
       30,
       Shows::widePicture,
       false},
      {"Xfce",
       {"800x100x24", {"xfce4-panel", "--disable-wm-check"}, {{kXfceConfig, xfcePanel("systray")}}},
       0,
       26},
      gnome(false),
      gnome(true),
      plasma(false),
      plasma(true),
  };
}

struct AgentCase {
  std::string name;
  const char* program;
  const char* id;
};

void PrintTo(const HostCase& host, std::ostream* out) { *out << host.name; }
void PrintTo(const AgentCase& agent, std::ostream* out) { *out << agent.name; }

const AgentCase kAgents[] = {{"Network", kNetworkAgent, kNetworkAgentId},
                             {"Sleep", kSleepAgent, kSleepAgentId}};

// WCAG's least contrast for text.
constexpr double kMinimumContrast = 4.5;
// The squeezing hosts give an icon a 22 px square; a digit row at least 7 px,
// a character alone at least 14 px.
constexpr int kSquareSide = 22;
constexpr int kMinimumDigitHeight = 7;
constexpr int kMinimumCharacterHeight = 14;
constexpr double kProportionTolerance = 0.15;
constexpr int kCharacterWidth = 8;
// GNOME Shell draws icons 16 px square; a symbol in it at least 10 px high.
constexpr int kSymbolSide = 16;
constexpr int kMinimumSymbolHeight = 10;
// A menu of the title and two entries is higher than any panel here.
constexpr int kMinimumMenuHeight = 48;
// A text row of a menu entry is at least this high; separators are thinner.
constexpr int kEntryRowHeight = 6;

// The columns of the box that hold ink against its most common colour.
int inkColumns(const Image& shot, const Box& box) {
  const auto label = measureLabel(shot, box);
  return label ? label->inkColumns : 0;
}

Box boxOf(const Box& box) { return box; }
Box boxOf(const PictureMeasure& measure) { return measure.box; }

class TrayHostTest : public PanelFixture,
                     public ::testing::WithParamInterface<std::tuple<HostCase, AgentCase>> {
 protected:
  const HostCase& host() const { return std::get<0>(GetParam()); }
  const AgentCase& agent() const { return std::get<1>(GetParam()); }

  void SetUp() override { startPanel(host().setup); }

  // What `measure` finds on the panel once two screenshots 300 ms apart agree
  // on it and it is `wanted`, or the last one they agreed on at the limit. A
  // panel lays a new item out in steps, each of which may hold still for a
  // while.
  template <class Measure, class Wanted>
  auto settled(Clock::duration limit, const Measure& measure, const Wanted& wanted) {
    std::optional<std::pair<Image, typename decltype(measure(Image{}))::value_type>> result;
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;) {
      const auto first = screenshot();
      std::this_thread::sleep_for(300ms);
      const auto second = screenshot();
      if (!first || !second) continue;
      const auto found = measure(*second);
      const auto earlier = measure(*first);
      if (!found || !earlier || boxOf(*found) != boxOf(*earlier)) continue;
      result = std::pair{*second, *found};
      if (wanted(*second, *found)) break;
    }
    return result;
  }

  // The whole reading (or the sleep title) as the label, in the bar's own
  // colour: beside a picture on its backdrop at the height the host draws
  // icons (for the rates, a symbol of them as large as the icon allows), or
  // with no picture beside a themed icon the theme has.
  void expectLabel(const Process& item, const Image& before, bool network, Box& shown) {
    const bool symbol = host().network == Shows::labelBesideSymbol;
    const auto picture = [&](const Image& shot) {
      return measurePicture(shot, host().top, host().bottom);
    };
    // The icon is at most a panel's height wide; the label adds a character
    // or more.
    const int wantedInk = (symbol ? kSymbolSide : host().bottom - host().top) + kCharacterWidth;
    const auto changed = settled(
        30s,
        [&](const Image& shot) {
          return changedBox(before, shot, host().top, host().bottom, host().left);
        },
        [&](const Image& shot, const Box& box) {
          return picture(shot).has_value() == symbol && inkColumns(shot, box) >= wantedInk;
        });
    ASSERT_TRUE(changed) << "the item never showed";
    const auto& [shot, box] = *changed;
    shown = box;
    const std::string text = itemProperty(item, "XAyatanaLabel");
    EXPECT_TRUE(std::regex_search(
        text, std::regex{network ? "'↑[0-9.]+[KMG]? ↓[0-9.]+[KMG]? RAM [0-9]+%'" : "[醒眠]"}))
        << text;
    if (!symbol) {
      keepShot(shot, box, host().name + "-" + agent().name);
      EXPECT_GE(inkColumns(shot, box), wantedInk) << "no text beside the icon";
      EXPECT_FALSE(picture(shot)) << "a pixmap was drawn";
      std::smatch name;
      const std::string iconName = itemProperty(item, "IconName");
      ASSERT_TRUE(std::regex_search(iconName, name, std::regex{"'([a-z-]+)'"})) << iconName;
      const std::string find = "find /usr/share/icons -name '" + name[1].str() + ".*' | grep -q .";
      EXPECT_EQ(std::system(find.c_str()), 0)
          << name[1] << " is in no installed icon theme: the host would show a placeholder";
      return;
    }
    const auto symbolShown = picture(shot);
    ASSERT_TRUE(symbolShown) << "no picture beside the label";
    const auto label = measureLabel(shot, {symbolShown->box.right, box.top, box.right, box.bottom});
    ASSERT_TRUE(label) << "no label beside the picture";
    char contrasts[32];
    std::snprintf(contrasts, sizeof contrasts, "%.1f-%.1f", symbolShown->contrast, label->contrast);
    keepShot(shot, box, host().name + "-" + agent().name + "-" + contrasts);
    EXPECT_GE(symbolShown->contrast, kMinimumContrast) << "the picture";
    EXPECT_GE(label->contrast, kMinimumContrast) << "the label";
    EXPECT_GE(label->glyphHeight, kMinimumDigitHeight) << "the label";
    EXPECT_GE(symbolShown->box.height(), kSymbolSide - 1) << "the picture";
    if (!network) return;
    EXPECT_EQ(symbolShown->textRows.size(), 1u) << "the symbol is no rows of digits";
    EXPECT_GE(symbolShown->textRows.empty() ? 0 : symbolShown->textRows[0], kMinimumSymbolHeight);
  }

  // The picture on its backdrop: the rates in two rows of digits filling the
  // square, or the sleep state's character; where it is wide, in the
  // proportion the agent drew.
  void expectPicture(const Process& item, bool network, Box& shown) {
    const Shows shows = host().network;
    // The proportion the agent drew, from `tray-view list`.
    std::optional<double> drawn;
    if (network && shows == Shows::widePicture) {
      const std::regex icon{"item " + std::string{agent().id} + " .* icon=([0-9]+)x([0-9]+)"};
      std::smatch size;
      for (const auto deadline = Clock::now() + 10s; !drawn && Clock::now() < deadline;) {
        for (const auto& line : run({kTrayView, "list"}).value_or(Strings{})) {
          if (std::regex_search(line, size, icon)) drawn = std::stod(size[1]) / std::stod(size[2]);
        }
      }
      ASSERT_TRUE(drawn) << "tray-view does not list the item";
    }
    const auto legible = [&](const PictureMeasure& measure) {
      if (measure.contrast < kMinimumContrast) return false;
      if (shows == Shows::widePicture) {
        return !network ||
               std::abs(measure.box.proportion() / *drawn - 1.0) <= kProportionTolerance;
      }
      return std::abs(measure.box.width() - measure.box.height()) <= 2 &&
             measure.box.height() >= kSquareSide - 2 &&
             measure.textRows.size() == (network ? 2U : 1U) &&
             std::ranges::min(measure.textRows) >=
                 (network ? kMinimumDigitHeight : kMinimumCharacterHeight);
    };
    const auto picture = settled(
        30s, [&](const Image& shot) { return measurePicture(shot, host().top, host().bottom); },
        [&](const Image&, const PictureMeasure& measure) { return legible(measure); });
    ASSERT_TRUE(picture) << "no tray picture on its backdrop in rows " << host().top << "-"
                         << host().bottom;
    const auto& [shot, measure] = *picture;
    shown = measure.box;
    char contrast[16];
    std::snprintf(contrast, sizeof contrast, "%.1f", measure.contrast);
    keepShot(shot, measure.box, host().name + "-" + agent().name + "-" + contrast);
    EXPECT_TRUE(legible(measure)) << "a " << measure.box.width() << "x" << measure.box.height()
                                  << " picture, contrast " << contrast << ", text rows "
                                  << ::testing::PrintToString(measure.textRows)
                                  << ", drawn proportion " << drawn.value_or(1.0);
    EXPECT_EQ(!itemProperty(item, "XAyatanaLabel").empty(), host().label) << "a label declared";
  }

  // The mouse in the middle of the box, then xdotool's `action` (a click);
  // the pointer then leaves for the desktop by the screen's left edge (off
  // panels and GNOME's hot corner), so that no tooltip covers the screen.
  bool click(const Box& box, const Strings& action) {
    Strings command{"xdotool", "mousemove", std::to_string(box.left + box.width() / 2),
                    std::to_string(box.top + box.height() / 2)};
    command.insert(command.end(), action.begin(), action.end());
    command.insert(command.end(), {"mousemove", "0", "150"});
    return run(command).has_value();
  }

  // Opens the item's menu with a right click, again each 3 s while none
  // shows (a host may read the menu only after it shows the item): the
  // screen with the menu off the panel, and the menu's box, once text shows
  // in it (GNOME fades its menus in).
  std::optional<std::pair<Image, Box>> openMenu(const Box& item) {
    for (const auto deadline = Clock::now() + 10s; Clock::now() < deadline;) {
      const auto before = screenshot();
      if (!before || !click(item, {"click", "3"})) return std::nullopt;
      for (const auto retry = Clock::now() + 3s; Clock::now() < retry;) {
        std::this_thread::sleep_for(700ms);
        const auto shot = screenshot();
        if (!shot) continue;
        for (const auto& menu : {changedBox(*before, *shot, 0, host().top),
                                 changedBox(*before, *shot, host().bottom, shot->height)}) {
          if (menu && menu->height() >= kMinimumMenuHeight && measureLabel(*shot, *menu)) {
            return std::pair{*shot, *menu};
          }
        }
      }
    }
    return std::nullopt;
  }

  // Takes the `entry`th enabled entry of the item's menu with the keyboard.
  void pickFromMenu(const Box& item, int entry) {
    ASSERT_TRUE(openMenu(item)) << "no menu opened";
    Strings keys{"xdotool", "key"};
    keys.insert(keys.end(), entry, "Down");
    keys.push_back("Return");
    ASSERT_TRUE(run(keys));
  }

  std::string itemProperty(const Process& agentProcess, const std::string& name) {
    const auto reply =
        run({"gdbus", "call", "--session", "--dest", itemBusName(agentProcess), "--object-path",
             "/StatusNotifierItem", "--method", "org.freedesktop.DBus.Properties.Get",
             "org.kde.StatusNotifierItem", name});
    return reply && !reply->empty() ? reply->front() : "";
  }
};

TEST_P(TrayHostTest, ItemIsLegibleOnThePanel) {
  const bool network = agent().program == std::string{kNetworkAgent};
  const auto before = screenshot();
  ASSERT_TRUE(before);
  // host-sim ends at the end of its input: a sleep keeps that open.
  Process& hostSim = start({"sh", "-c", "sleep 1000 | " + std::string{kHostSim} + " --no-agents"});
  Process& item = startAgent(agent().program, std::to_string(hostSim.id()));
  Box shown;
  if (host().network == Shows::widePicture || host().network == Shows::squarePicture) {
    expectPicture(item, network, shown);
  } else {
    expectLabel(item, *before, network, shown);
  }
  if (HasFatalFailure() || host().clicks == Clicks::none) return;
  // The request host-sim reports next.
  const auto request = [&] {
    const auto line = hostSim.next(
        [](const std::string& text) { return text.find(" host: show") != std::string::npos; }, 5s);
    return line ? line->substr(line->find(" host: ") + 7) : "";
  };
  const std::string activated = network ? "showWindow" : "showSleepManagement";
  if (host().clicks == Clicks::doubleAndMenu) {
    if (network) {
      const auto menu = openMenu(shown);
      ASSERT_TRUE(menu) << "no menu opened";
      // The runs of text rows at least kEntryRowHeight high: its entries.
      const auto entries = measureLabel(menu->first, menu->second);
      ASSERT_TRUE(entries) << "an empty menu";
      EXPECT_EQ(std::ranges::count_if(entries->textRows,
                                      [](int height) { return height >= kEntryRowHeight; }),
                3)
          << "entries in the menu";
      ASSERT_TRUE(run({"xdotool", "key", "Escape"}));
    }
    ASSERT_TRUE(click(shown, {"click", "--repeat", "2", "--delay", "80", "1"}));
    EXPECT_EQ(request(), activated) << "after a double click";
    return;
  }
  ASSERT_TRUE(click(shown, {"click", "1"}));
  EXPECT_EQ(request(), activated) << "after a left click";
  if (!network) return;
  // The first enabled entry asks for the window, the second ends the agent.
  pickFromMenu(shown, 1);
  EXPECT_EQ(request(), "showWindow") << "after 打开主界面 in the menu";
  pickFromMenu(shown, 2);
  EXPECT_EQ(item.waitForExit(5s), 0) << "after 关闭网速显示 in the menu";
}

INSTANTIATE_TEST_SUITE_P(Hosts, TrayHostTest,
                         ::testing::Combine(::testing::ValuesIn(hosts()),
                                            ::testing::ValuesIn(kAgents)),
                         [](const auto& info) {
                           return std::get<0>(info.param).name + std::get<1>(info.param).name;
                         });

// The extension forgets an item about a second after reading it, if it does.
constexpr auto kForgetting = 3s;

class GnomeShellStartsTest : public PanelFixture {};

// Each start: a fresh shell on the same display and buses, then both agents;
// the watcher must announce both items and forget neither. Starts:
// VELMORA_SHELL_STARTS (scripts/gnome-shell-starts), 20 when unset.
TEST_F(GnomeShellStartsTest, BothItemsRegisterAndStayInEveryStartOfTheShell) {
  const PanelSetup setup = gnomeShell(false);
  startPanel(setup);
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string host = std::to_string(startSleeper().id());
  const char* wanted = std::getenv("VELMORA_SHELL_STARTS");
  const int starts = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 20;
  std::unique_ptr<Process> shell;
  for (int start = 1; start <= starts; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    if (start > 1) {
      // The shell before is gone, with its watcher, before the next starts.
      if (start == 2) kill(-panel->id(), SIGTERM);
      ASSERT_TRUE(panel->waitForExit(10s));
      shell.reset();
      shell = std::make_unique<Process>(setup.command, environment);
      ASSERT_TRUE(waitForBusNames({"org.kde.StatusNotifierWatcher"}, 60))
          << "the shell's watcher never came";
    }
    Process watcher{{"gdbus", "monitor", "--session", "--dest", "org.kde.StatusNotifierWatcher"},
                    environment};
    // The monitor is listening once it has printed its first line.
    ASSERT_TRUE(watcher.next([](const std::string&) { return true; }, 10s));
    Process& network = startAgent(kNetworkAgent, host);
    Process& sleep = startAgent(kSleepAgent, host);
    Strings names = {itemBusName(network), itemBusName(sleep)};
    const auto registered = watcher.next(
        [&](const std::string& line) {
          if (line.find("StatusNotifierItemRegistered") == std::string::npos) return false;
          std::erase_if(names, [&](const auto& name) { return line.find(name) != line.npos; });
          return names.empty();
        },
        30s);
    EXPECT_TRUE(registered) << "not registered: " << (names.empty() ? "" : names.front());
    const auto forgotten = watcher.next(
        [](const std::string& line) {
          return line.find("StatusNotifierItemUnregistered") != std::string::npos;
        },
        kForgetting);
    EXPECT_FALSE(forgotten) << *forgotten;
    for (Process* agent : {&network, &sleep}) kill(agent->id(), SIGTERM);
    for (Process* agent : {&network, &sleep}) EXPECT_EQ(agent->waitForExit(5s), 0);
  }
}

}  // namespace
}  // namespace e2e
