#include <QImage>
#include <QList>
#include <QPixmap>

#include <gtest/gtest.h>

#include "resources/pictures.h"

namespace dtool {
namespace {

// Share of the picture's pixels that are drawn (not fully transparent).
double DrawnShare(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  qsizetype drawn = 0;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x)
      if (qAlpha(argb.pixel(x, y)) > 0)
        ++drawn;
  return argb.isNull() ? 0.0 : double(drawn) / (double(argb.width()) * argb.height());
}

// A picture that rendered, at the size asked for.
void ExpectDrawnIcon(const QIcon& icon, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_FALSE(icon.isNull());
  for (int size : {16, 24, 32}) {
    const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
    EXPECT_EQ(image.size(), QSize(size, size)) << size;
    EXPECT_GT(DrawnShare(image), 0.1) << size;
  }
}

TEST(Pictures, EveryToolbarIndexHasItsOwnPicture) {
  QList<QImage> seen;
  for (int index = 0; index < ActionPictureCount; ++index) {
    ExpectDrawnIcon(ActionPicture(index), qPrintable(QString::number(index)));
    const QImage image = ActionPicture(index).pixmap(QSize(24, 24), 1.0).toImage();
    for (qsizetype other = 0; other < seen.size(); ++other)
      EXPECT_NE(image, seen[other]) << "pictures " << other << " and " << index << " are alike";
    seen.append(image);
  }
  for (int index : {-1, ActionPictureCount, 255})
    EXPECT_TRUE(ActionPicture(index).isNull()) << index;
}

TEST(Pictures, GlyphsAndApplicationIconRender) {
  ExpectDrawnIcon(AppIcon(), "application icon");
  ExpectDrawnIcon(NozzleGlyph(), "nozzle glyph");
  ExpectDrawnIcon(HelpGlyph(THelpGlyph::Back), "back");
  ExpectDrawnIcon(HelpGlyph(THelpGlyph::Forward), "forward");
  ExpectDrawnIcon(HelpGlyph(THelpGlyph::Home), "home");
}

TEST(Pictures, ProductPictureFollowsTheInstrumentType) {
  for (int type = 0; type <= 11; ++type) {
    const QPixmap picture = ProductPicture(type);
    ASSERT_FALSE(picture.isNull()) << type;
    EXPECT_EQ(picture.deviceIndependentSize().toSize(), ProductPictureSize) << type;
    EXPECT_GT(DrawnShare(picture.toImage()), 0.1) << type;
  }
  // Types that look alike share a picture; the groups look different.
  const QList<QList<int>> groups = {
      {0, -1, 12, 255}, // no instrument, and any value from a damaged settings file
      {1, 3, 5, 7},     // static models without display
      {2, 4, 6, 8},     // static models with display
      {9},              // switch
      {10},             // transmitter without display
      {11}};            // transmitter with display
  QList<QImage> firsts;
  for (const QList<int>& group : groups) {
    const QImage first = ProductPicture(group.first()).toImage();
    for (int type : group)
      EXPECT_EQ(ProductPicture(type).toImage(), first) << type << " differs from " << group.first();
    for (const QImage& other : firsts)
      EXPECT_NE(first, other) << "type " << group.first() << " looks like another group";
    firsts.append(first);
  }
  // Another size keeps the drawing's proportions inside it.
  const QPixmap large = ProductPicture(2, QSize(360, 200));
  EXPECT_EQ(large.deviceIndependentSize().toSize(), QSize(360, 200));
  EXPECT_GT(DrawnShare(large.toImage()), 0.1);
}

} // namespace
} // namespace dtool
