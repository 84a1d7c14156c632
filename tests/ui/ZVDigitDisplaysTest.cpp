// The status displays as windows: each repaints only when its shown value changes, setters
// from another thread reach the window's thread, and on screen every glyph is the cell of the
// generated skin's strip that the value calls for.
#include "control/ui/ZVCarSignal.h"
#include "control/ui/ZVDigitDateTime.h"
#include "control/ui/ZVDigitGVal.h"
#include "control/ui/ZVDigitGps.h"
#include "control/ui/ZVDigitSpeed.h"

#include "app/SkinFile.h"
#include "app/ui/Skin.h"
#include "control/CarSignalLamps.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#ifndef TREVIX_RUN_DIR
#define TREVIX_RUN_DIR TREVIX_BINARY_DIR "/run"
#endif

namespace trevix {
namespace {

namespace item = skin_item;

class CatchSkinMessages final : public SkinMessages {
public:
    void ShowMissingItem(int missing, const QString&, const QString&) override {
        items.push_back(missing);
    }
    std::vector<int> items;
};

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Shows a display and lets its first paints happen.
void ShowSettled(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    Settle();
}

// Paints caused by action.
template <typename Display, typename Action>
int PaintsOf(Display& display, Action&& action) {
    const int before = display.PaintCount();
    action();
    Settle();
    return display.PaintCount() - before;
}

SYSTEMTIME Time(int second, int ms, int dayOfWeek = 0) {
    SYSTEMTIME time;
    time.wYear = 2024;
    time.wMonth = 5;
    time.wDay = 19;
    time.wDayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
    time.wHour = 13;
    time.wMinute = 7;
    time.wSecond = static_cast<std::uint16_t>(second);
    time.wMilliseconds = static_cast<std::uint16_t>(ms);
    return time;
}

GPSINFO Fix(std::uint8_t valid, std::uint16_t speed, char latitude = 'N') {
    GPSINFO fix;
    fix.byGpsValid = valid;
    fix.chLatHemi = latitude;
    fix.wLatDeg = 37;
    fix.wLatMin = 30;
    fix.fLatSec = 5.5f;
    fix.chLonHemi = 'E';
    fix.wLonDeg = 127;
    fix.wLonMin = 2;
    fix.fLonSec = 59.25f;
    fix.wGpsB = speed;
    return fix;
}

TEST(ZVDigitRedrawTest, DateTimeRepaintsOnlyForAShownChange) {
    CZVDigitDateTime display;
    display.resize(CZVDigitDateTime::PanelRect(661).size());
    display.SetTime(Time(45, 100));
    ShowSettled(display);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetTime(Time(45, 900)); }), 0);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetTime(Time(45, 900, 3)); }), 0);
    EXPECT_EQ(display.Time().wMilliseconds, 900); // kept though not shown
    EXPECT_EQ(PaintsOf(display, [&] { display.SetTime(Time(46, 0)); }), 1);
}

TEST(ZVDigitRedrawTest, SpeedRepaintsForAChangedReadingOrSource) {
    int source = kSpeedSourceGps;
    CZVDigitSpeed display;
    display.SetSpeedSourceReader([&] { return source; });
    display.resize(CZVDigitSpeed::PanelRect().size());
    display.SetSpeed(40, Fix(0, 0));
    ShowSettled(display);
    // An invalid fix carries no speed, so another value in it changes nothing.
    EXPECT_EQ(PaintsOf(display, [&] { display.SetSpeed(40, Fix(0, 77)); }), 0);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetSpeed(40, Fix(1, 77)); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetSpeed(41, Fix(1, 77)); }), 1);
    EXPECT_EQ(display.CurrentGlyphs().size(), 2u); // 77 from GPS
    source = kSpeedSourceCarPulse;
    EXPECT_EQ(PaintsOf(display, [&] { display.Redraw(); }), 1);
    EXPECT_EQ(display.CurrentGlyphs().size(), 2u); // 41 from the pulse
    EXPECT_EQ(display.CurrentGlyphs()[0].cell, 4);
}

TEST(ZVDigitRedrawTest, GValueRepaintsOnlyForAnotherValue) {
    CZVDigitGVal display;
    display.resize(CZVDigitGVal::PanelRect(GAxis::Z).size());
    EXPECT_EQ(display.Value(), kNoGValue);
    ShowSettled(display);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetValue(kNoGValue); }), 0);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetValue(-0.53f); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetValue(-0.53f); }), 0);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetValue(std::nanf("")); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetValue(std::nanf("")); }), 0);
}

TEST(ZVDigitRedrawTest, GpsRepaintsForShownFieldsAndTheLetters) {
    CZVDigitGps display;
    display.resize(CZVDigitGps::PanelRect().size());
    EXPECT_EQ(display.Fix().byGpsValid, 0);
    EXPECT_EQ(display.Fix().chLatHemi, 'N');
    ShowSettled(display);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetFix(Fix(1, 10)); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetFix(Fix(1, 99)); }), 0); // speed not shown
    EXPECT_EQ(PaintsOf(display, [&] { display.SetFix(Fix(1, 99, 'S')); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetFix(Fix(0, 99, 'S')); }), 1);
}

TEST(ZVDigitRedrawTest, CarSignalRepaintsForOtherBitsOrAModelChange) {
    int model = 21;
    CZVCarSignal display;
    display.SetModelReader([&] { return model; });
    display.resize(CZVCarSignal::PanelRect().size());
    ShowSettled(display);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetBits(0); }), 0);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetBits(0x0A); }), 1);
    EXPECT_EQ(PaintsOf(display, [&] { display.SetBits(0x0A); }), 0);
    EXPECT_EQ(display.CurrentGlyphs().size(), 2u);
    model = 23;
    EXPECT_EQ(PaintsOf(display, [&] { display.Redraw(); }), 1);
    EXPECT_EQ(display.CurrentGlyphs().size(), 9u);
}

TEST(ZVDigitThreadTest, SettersFromAnotherThreadArriveOnTheWindowsThread) {
    CZVDigitGVal gValue;
    CZVCarSignal signal;
    std::thread worker([&] {
        gValue.SetValue(0.25f);
        signal.SetBits(0x04);
    });
    worker.join();
    EXPECT_EQ(gValue.Value(), kNoGValue); // not touched off its thread
    Settle();
    EXPECT_EQ(gValue.Value(), 0.25f);
    EXPECT_EQ(signal.Bits(), 0x04);
}

// The panel with the displays in their places, built from the generated skin.
class StatusPanel : public QWidget {
public:
    StatusPanel() {
        resize(700, 768);
        dateTime = Place(std::make_unique<CZVDigitDateTime>(), CZVDigitDateTime::PanelRect(661));
        speed = Place(std::make_unique<CZVDigitSpeed>(), CZVDigitSpeed::PanelRect());
        gx = Place(std::make_unique<CZVDigitGVal>(), CZVDigitGVal::PanelRect(GAxis::X));
        gy = Place(std::make_unique<CZVDigitGVal>(), CZVDigitGVal::PanelRect(GAxis::Y));
        gz = Place(std::make_unique<CZVDigitGVal>(), CZVDigitGVal::PanelRect(GAxis::Z));
        gps = Place(std::make_unique<CZVDigitGps>(), CZVDigitGps::PanelRect());
        twoLamps = Place(std::make_unique<CZVCarSignal>(), CZVCarSignal::PanelRect());
        // A second indicator for the combined-lamp models, beside the panel's own.
        combined =
            Place(std::make_unique<CZVCarSignal>(), CZVCarSignal::PanelRect().translated(200, 0));
        combined->SetModelReader([] { return 23; });
        twoLamps->SetModelReader([] { return 21; });
        speed->SetSpeedSourceReader([] { return kSpeedSourceGps; });
    }

    std::vector<CZVDigitDisplay*> Displays() const {
        return {dateTime, speed, gx, gy, gz, gps, twoLamps, combined};
    }

    CZVDigitDateTime* dateTime = nullptr;
    CZVDigitSpeed* speed = nullptr;
    CZVDigitGVal* gx = nullptr;
    CZVDigitGVal* gy = nullptr;
    CZVDigitGVal* gz = nullptr;
    CZVDigitGps* gps = nullptr;
    CZVCarSignal* twoLamps = nullptr;
    CZVCarSignal* combined = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(20, 23, 28));
        speed->PaintSourceOnPanel(painter);
    }

private:
    template <typename Display>
    Display* Place(std::unique_ptr<Display> display, const QRect& rect) {
        display->setParent(this);
        display->setGeometry(rect);
        return display.release(); // owned by the panel from here on
    }
};

// The panel as the screen shows it (the widget's own rendering without a real display).
QImage ScreenShot(StatusPanel& panel) {
    const auto background = [&](const QImage& shot) {
        const QPoint inGps = panel.gps->pos() + QPoint(1, 1);
        return shot.pixelColor(inGps) == CZVDigitGps::kBackground;
    };
    if (QGuiApplication::platformName() == "xcb") {
        QScreen* screen = panel.screen();
        const QPoint origin = panel.mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
        QImage shot;
        const bool painted = QTest::qWaitFor(
            [&] {
                shot = screen->grabWindow(0, origin.x(), origin.y(), panel.width(), panel.height())
                           .toImage();
                return background(shot);
            },
            5000);
        EXPECT_TRUE(painted);
        return shot.convertToFormat(QImage::Format_RGB32);
    }
    return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels of the glyph's cell as the strip holds them, at the glyph's size.
QImage ExpectedCell(const QImage& strip, const GlyphDraw& glyph) {
    const QRect source(glyph.sourceX, 0, glyph.sourceWidth, glyph.sourceHeight);
    if (glyph.width == glyph.sourceWidth && glyph.height == glyph.sourceHeight)
        return strip.copy(source).convertToFormat(QImage::Format_RGB32);
    QImage stretched(glyph.width, glyph.height, QImage::Format_RGB32);
    QPainter painter(&stretched);
    painter.drawImage(QRect(0, 0, glyph.width, glyph.height), strip, source);
    return stretched;
}

// Pixels of the glyph in the shot that differ from its cell.
int WrongPixels(const QImage& shot, const CZVDigitDisplay& display, const GlyphDraw& glyph) {
    const QImage* strip = display.Strips().Find(glyph.strip);
    if (strip == nullptr)
        return glyph.width * glyph.height;
    const QImage expected = ExpectedCell(*strip, glyph);
    const QPoint origin = display.pos() + display.ClientArea().topLeft() + QPoint(glyph.x, glyph.y);
    int wrong = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (shot.pixel(origin + QPoint(x, y)) != expected.pixel(x, y))
                ++wrong;
    return wrong;
}

TEST(ZVDigitScreenshotTest, KnownValuesShowTheirStripCells) {
    CatchSkinMessages messages;
    StatusPanel panel;
    CSkin skin(&messages);
    ASSERT_TRUE(skin.Load(std::filesystem::path(TREVIX_RUN_DIR) / "trevix.dsc", &panel));
    for (CZVDigitDisplay* display : panel.Displays())
        display->LoadStrips(skin);
    ASSERT_TRUE(messages.items.empty()) << "the generated skin lacks item " << messages.items[0];

    panel.dateTime->SetTime(Time(45, 0));
    panel.speed->SetSpeed(0, Fix(1, 87));
    panel.gx->SetValue(-0.53f);
    panel.gy->SetValue(12.5f);
    panel.gz->SetValue(kNoGValue);
    panel.gps->SetFix(Fix(1, 87));
    panel.twoLamps->SetBits(0x0A);
    panel.combined->SetBits(0x01 | 0x10 | 0x40);
    ShowSettled(panel);
    const QImage shot = ScreenShot(panel);
    const std::filesystem::path folder = std::filesystem::path(TREVIX_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    shot.save(QString::fromStdString((folder / "status-displays.png").string()));

    // The strips tell their cells apart, so a wrong cell would show.
    const QImage* digits = panel.gx->Strips().Find(item::kValueDigits);
    ASSERT_NE(digits, nullptr);
    EXPECT_NE(digits->copy(5 * 12, 0, 12, 17), digits->copy(3 * 12, 0, 12, 17));
    const QImage* leftLamp = panel.twoLamps->Strips().Find(item::kLeftLamp);
    ASSERT_NE(leftLamp, nullptr);
    EXPECT_NE(leftLamp->copy(0, 0, 65, 22), leftLamp->copy(65, 0, 65, 22));

    for (CZVDigitDisplay* display : panel.Displays()) {
        const GlyphList glyphs = display->CurrentGlyphs();
        ASSERT_FALSE(glyphs.empty());
        for (const GlyphDraw& glyph : glyphs)
            EXPECT_EQ(WrongPixels(shot, *display, glyph), 0)
                << display->metaObject()->className() << " strip " << glyph.strip << " cell "
                << glyph.cell << " at " << glyph.x << "," << glyph.y;
    }
    // The values chose the cells the rules give.
    EXPECT_EQ(panel.gx->CurrentGlyphs()[0].cell, kDashCell);
    EXPECT_EQ(panel.twoLamps->CurrentGlyphs()[0].cell, LeftLampState(0x0A));
    EXPECT_EQ(panel.twoLamps->CurrentGlyphs()[1].cell, 3);
    // Backgrounds around the glyphs.
    EXPECT_EQ(shot.pixelColor(panel.dateTime->pos() + QPoint(2, 2)), CZVDigitDateTime::kBackground);
    EXPECT_EQ(shot.pixelColor(panel.gy->pos() + QPoint(1, 1)), CZVDigitGVal::kBackground);
    EXPECT_EQ(shot.pixelColor(panel.twoLamps->pos() + QPoint(1, 24)), CZVCarSignal::kBackground);

    // The panel's speed source label and mark: the GPS cells.
    const QImage* label = panel.speed->Strips().Find(item::kSpeedSourceLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(shot.copy(121, 576, 42, 12),
              label->copy(42, 0, 42, 12).convertToFormat(QImage::Format_RGB32));
}

} // namespace
} // namespace trevix
