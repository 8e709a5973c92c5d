#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "tests/e2e/agent_fixture.h"

namespace e2e {

using Rgb = std::array<int, 3>;

// A screenshot: 8-bit RGB pixels, row by row.
struct Image {
  int width = 0;
  int height = 0;
  std::string bytes;

  Rgb at(int x, int y) const {
    const auto* pixel = reinterpret_cast<const unsigned char*>(&bytes[(y * width + x) * 3]);
    return {pixel[0], pixel[1], pixel[2]};
  }
};

// An agent test on a headless X server of its own, for a real panel. The
// bus starts with DISPLAY set, as the panels' D-Bus activated helpers need
// it. Skips when Xvfb, ImageMagick or `panelProgram` is missing.
class PanelFixture : public AgentFixture {
 protected:
  PanelFixture(std::string panelProgram, std::string screen)
      : panel(std::move(panelProgram)), screenSize(std::move(screen)) {}
  void SetUp() override;

  // The root window now; absent when it could not be taken.
  std::optional<Image> screenshot();

  const std::string panel;

 private:
  const std::string screenSize;
  std::unique_ptr<Process> xServer;
};

}  // namespace e2e
