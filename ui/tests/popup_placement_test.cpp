// Popups beside a row: the side chosen, the way round when there is no room, and the edges.
#include "ui/popup_placement.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using ui::Side;

TEST(PlaceBesideRow, KeepsOutOfTheRowAndOnTheScreen) {
  const ui::Rect work{0, 0, 1000, 800};
  const ui::Rect row{100, 300, 400, 90};  // rows 300 to 390
  struct Case {
    const char* what;
    ui::Rect row;
    int width, height, left;
    Side preferred;
    int wantLeft, wantTop;
    Side wantSide;
  };
  // clang-format off
  const Case cases[] = {
      {"above, where it fits", row, 200, 50, 120, Side::kAbove, 120, 248, Side::kAbove},
      {"below, where it fits", row, 200, 50, 120, Side::kBelow, 120, 392, Side::kBelow},
      {"exactly fits above", {100, 52, 400, 90}, 200, 50, 120, Side::kAbove, 120, 0, Side::kAbove},
      {"no room above", {100, 51, 400, 90}, 200, 50, 120, Side::kAbove, 120, 143, Side::kBelow},
      {"no room below", {100, 659, 400, 90}, 200, 50, 120, Side::kBelow, 120, 607, Side::kAbove},
      // Room on neither side: the roomier one, off the screen rather than over the row.
      {"tall, room below", {0, 200, 400, 90}, 200, 700, 0, Side::kAbove, 0, 292, Side::kBelow},
      {"tall, room above", {0, 600, 400, 90}, 200, 700, 0, Side::kBelow, 0, -102, Side::kAbove},
      // Sideways: moved in from the right edge; the left edge wins when it is wider than work.
      {"off the right edge", row, 300, 50, 900, Side::kAbove, 700, 248, Side::kAbove},
      {"wider than the screen", row, 1200, 50, 500, Side::kAbove, 0, 248, Side::kAbove},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ui::PopupPlace place =
        ui::PlaceBesideRow(c.row, c.width, c.height, c.left, c.preferred, 2, work);
    EXPECT_EQ(std::tie(place.left, place.top, place.side),
              std::tie(c.wantLeft, c.wantTop, c.wantSide));
  }
  // The nearer edge: a tie goes below.
  EXPECT_EQ(ui::NearerSide(row, 310), Side::kAbove);
  EXPECT_EQ(ui::NearerSide(row, 345), Side::kBelow);
  EXPECT_EQ(ui::NearerSide(row, 389), Side::kBelow);
}

}  // namespace
