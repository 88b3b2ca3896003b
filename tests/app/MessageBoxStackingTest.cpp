// Message boxes and dialogs against the stay-on-top main window, as the window
// manager stacks them (run under Xvfb with openbox): each must open above the
// main window, and message boxes centred on the screen.
#include "WindowManagerState.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "app/MessageBoxes.h"
#include "WindowManagerTestApp.h"
#include "tests/support/QtTestSupport.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Where the window manager put the next modal window that open() shows.
struct Observed {
    bool appeared = false;
    int mainIndex = -1, modalIndex = -1;
    QPoint centre;
    QString text;
};

// An object whose events fail like a handler that meets an error.
class FailingHandler : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("Failed to load oneocr.dll.");
        return QObject::event(e);
    }
};

class MessageBoxStacking : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startWindowManagerTest());
        ASSERT_TRUE(dir.isValid());
        // No settings and no OCR files: the window opens centred, 切り取り warns.
        AppPaths::setExecutableForTesting(dir.path());
        form = std::make_unique<TForm102>();
        form->show();
        ASSERT_TRUE(waitUntil([&] { return WindowManagerState::stackIndex(form->winId()) >= 0
                                           && WindowManagerState::isKeptAbove(form->winId()); }, 5000))
            << "the main window " << form->winId() << " is not managed as a stay-on-top window; stack "
            << WindowManagerState::stackingOrder().size() << " windows";
    }
    void TearDown() override { form.reset(); }

    // Runs open(), which shows a modal window and waits for it; records where
    // the window manager stacked that window, then closes it.
    Observed observe(const std::function<void()>& open) {
        Observed seen;
        QTimer poll;
        int managedTicks = 0, ticks = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal) return;
            const bool managed = modal->isVisible() && WindowManagerState::stackIndex(modal->winId()) >= 0;
            // Give the window manager a moment to settle the stack; give up after 5 s.
            if (!(managed && ++managedTicks >= 4) && ++ticks < 100) return;
            seen.appeared = managed;
            const QList<quint64> stack = WindowManagerState::stackingOrder();
            seen.mainIndex = int(stack.indexOf(form->winId()));
            seen.modalIndex = int(stack.indexOf(modal->winId()));
            seen.centre = modal->frameGeometry().center();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) seen.text = box->text();
            poll.stop();
            modal->done(0);
        });
        poll.start(50);
        open();
        poll.stop();
        return seen;
    }

    void expectAboveAndCentred(const Observed& seen) {
        ASSERT_TRUE(seen.appeared);
        ASSERT_GE(seen.mainIndex, 0);
        EXPECT_GT(seen.modalIndex, seen.mainIndex) << "stacked under the main window";
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 40)
            << seen.centre.x() << "," << seen.centre.y();
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm102> form;
};

TEST_F(MessageBoxStacking, ABoxWithoutOwnerWouldOpenUnderTheMainWindow) {
    // The fault the helper exists for: an ownerless box, centred like the main window, is hidden.
    const Observed seen = observe([] {
        QMessageBox box(QMessageBox::Critical, kApplicationTitle, QStringLiteral("ownerless"));
        box.exec();
    });
    ASSERT_TRUE(seen.appeared);
    EXPECT_LT(seen.modalIndex, seen.mainIndex);
}

TEST_F(MessageBoxStacking, ErrorFromAHandlerOpensAboveTheMainWindow) {
    FailingHandler handler;
    const Observed seen = observe([&] {
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
    });
    expectAboveAndCentred(seen);
    EXPECT_EQ(seen.text, QStringLiteral("Failed to load oneocr.dll."));
}

TEST_F(MessageBoxStacking, MissingOcrFilesWarningOfTheCropOpensAboveTheMainWindow) {
    const Observed seen = observe([&] { form->Button2->click(); });
    expectAboveAndCentred(seen);
    EXPECT_TRUE(seen.text.contains(QStringLiteral("oneocr"))) << seen.text.toStdString();
}

TEST_F(MessageBoxStacking, QuestionsAndWarningsOpenAboveTheMainWindow) {
    expectAboveAndCentred(observe([] { MessageBoxes::question(QStringLiteral("続けますか?")); }));
    expectAboveAndCentred(observe([] { MessageBoxes::warning(QStringLiteral("注意")); }));
}

TEST_F(MessageBoxStacking, DialogsAndTheBoxesTheyOpenStayOnTop) {
    QDialog dialog;
    dialog.resize(300, 200);
    MessageBoxes::keepAboveMainWindow(&dialog);
    const Observed seen = observe([&] { dialog.exec(); });
    ASSERT_TRUE(seen.appeared);
    EXPECT_GT(seen.modalIndex, seen.mainIndex);

    // A box opened while the dialog is up goes above the dialog.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return WindowManagerState::stackIndex(dialog.winId()) >= 0; }, 5000));
    const Observed box = observe([] { MessageBoxes::information(QStringLiteral("dialog's message")); });
    ASSERT_TRUE(box.appeared);
    EXPECT_GT(box.modalIndex, WindowManagerState::stackIndex(dialog.winId()));
    EXPECT_GT(box.modalIndex, box.mainIndex);
    dialog.hide();
}

}  // namespace
