#include "platform/formplacement.h"
#include "platform/registry.h"
#include "support/testenv.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const std::string kKey = "software\\talmaran\\book1";

// A window with two controls, so the focused one can be told apart.
struct Window : QWidget {
    QLineEdit* first = new QLineEdit(this);
    QLineEdit* second = new QLineEdit(this);
    Window() {
        first->setObjectName("first");
        second->setObjectName("second");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(first);
        layout->addWidget(second);
    }
};

QRect available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void writePlacement(int left, int top, int width, int height) {
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("Left", left);
    reg.WriteInteger("Top", top);
    reg.WriteInteger("Width", width);
    reg.WriteInteger("Height", height);
}

} // namespace

TEST(FormPlacement, RoundTripsPositionSizeStateAndFocus) {
    TempRegistry reg;
    const QRect area = available();
    const QRect placed(area.left() + 40, area.top() + 30, 320, 240);
    {
        Window w;
        w.setGeometry(placed);
        w.show();
        w.second->setFocus();
        ASSERT_TRUE(saveFormPlacement(w, kKey));
        ASSERT_TRUE(saveFormPlacement(w, kKey, "TSrcRez."));
    }
    {
        Window w;
        ASSERT_TRUE(restoreFormPlacement(w, kKey));
        w.show();
        EXPECT_EQ(w.geometry(), placed);
        EXPECT_FALSE(w.isMaximized());
        EXPECT_EQ(w.focusWidget(), w.second);
        // Maximized: the normal rectangle is kept for when the user restores the window.
        w.showMaximized();
        ASSERT_TRUE(saveFormPlacement(w, kKey));
    }
    Window w;
    ASSERT_TRUE(restoreFormPlacement(w, kKey));
    w.show();
    EXPECT_TRUE(w.isMaximized());
    w.showNormal();
    EXPECT_EQ(w.geometry(), placed);

    // Another window's values under the same key were not disturbed.
    Window other;
    ASSERT_TRUE(restoreFormPlacement(other, kKey, "TSrcRez."));
    EXPECT_EQ(other.geometry(), placed);
    EXPECT_FALSE(other.windowState() & Qt::WindowMaximized);
}

TEST(FormPlacement, ClampsToTheScreen) {
    TempRegistry reg;
    const QRect area = available();
    struct Row {
        const char* what;
        QRect saved;
    };
    const Row rows[] = {
        {"far right and below", QRect(area.right() + 5000, area.bottom() + 3000, 300, 200)},
        {"far left and above", QRect(area.left() - 5000, area.top() - 3000, 300, 200)},
        {"larger than the screen",
         QRect(area.left() - 10, area.top() - 10, area.width() + 500, area.height() + 400)},
    };
    for (const Row& r : rows) {
        writePlacement(r.saved.x(), r.saved.y(), r.saved.width(), r.saved.height());
        Window w;
        ASSERT_TRUE(restoreFormPlacement(w, kKey)) << r.what;
        EXPECT_TRUE(area.contains(w.geometry())) << r.what;
        EXPECT_EQ(w.width(), std::min(r.saved.width(), area.width())) << r.what;
        EXPECT_EQ(w.height(), std::min(r.saved.height(), area.height())) << r.what;
    }
}

TEST(FormPlacement, MissingOrDamagedValuesKeepTheDefault) {
    TempRegistry reg;
    Window w;
    const QRect initial(10, 20, 200, 150);
    w.setGeometry(initial);
    EXPECT_FALSE(restoreFormPlacement(w, kKey)); // no key at all
    struct Row {
        const char* what;
        int left, top, width, height;
    };
    const Row rows[] = {
        {"zero width", 10, 10, 0, 100},
        {"negative height", 10, 10, 100, -5},
        {"absurd size", 10, 10, 100, INT32_MAX},
        {"absurd position", INT32_MIN, 10, 100, 100},
    };
    for (const Row& r : rows) {
        writePlacement(r.left, r.top, r.width, r.height);
        EXPECT_FALSE(restoreFormPlacement(w, kKey)) << r.what;
        EXPECT_EQ(w.geometry(), initial) << r.what;
    }
    writePlacement(10, 10, 100, 100);
    TRegistry damaged(HKEY_CURRENT_USER);
    ASSERT_TRUE(damaged.OpenKey(kKey, false));
    ASSERT_TRUE(damaged.WriteString("Width", "100")); // not a DWORD
    EXPECT_FALSE(restoreFormPlacement(w, kKey));
    ASSERT_TRUE(damaged.DeleteValue("Width"));
    EXPECT_FALSE(restoreFormPlacement(w, kKey));
    EXPECT_EQ(w.geometry(), initial);
}
