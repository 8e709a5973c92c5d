#include "tests/panels/panel_fixture.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {

void PanelFixture::SetUp() {
  for (const std::string program : {"Xvfb", "import", "convert", panel.c_str()}) {
    if (std::system(("command -v " + program + " >/dev/null").c_str()) != 0) {
      GTEST_SKIP() << program << " is not installed";
    }
  }
  // Xvfb picks a free display itself and writes its number once it accepts
  // clients, so that parallel servers never collide.
  xServer = std::make_unique<Process>(
      Strings{"Xvfb", "-displayfd", "1", "-screen", "0", screenSize, "-nolisten", "tcp"},
      Strings{std::string{"PATH="} + std::getenv("PATH")});
  const auto number = xServer->next([](const std::string& line) { return !line.empty(); }, 20s);
  ASSERT_TRUE(number) << "Xvfb did not start";
  display = ":" + *number;
  AgentFixture::SetUp();
}

std::optional<Image> PanelFixture::screenshot() {
  const std::string path = home + "/shot.ppm";
  if (!run({"import", "-window", "root", "-depth", "8", path})) return std::nullopt;
  Image image{0, 0, readFile(path)};
  int header = 0;
  // A binary PPM: "P6", width, height, 255 and one white space, then pixels.
  if (std::sscanf(image.bytes.c_str(), "P6 %d %d 255%n", &image.width, &image.height, &header) !=
          2 ||
      image.bytes.size() != static_cast<std::size_t>(header + 1 + image.width * image.height * 3)) {
    return std::nullopt;
  }
  image.bytes.erase(0, header + 1);
  return image;
}

}  // namespace e2e
