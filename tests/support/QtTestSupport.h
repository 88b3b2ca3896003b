#pragma once
// What many test programs need from Qt: one application object of the kind
// the tests need (core, GUI or widgets), and waiting for a condition while
// events are handled.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

// The program's application object, made on first use and kept to the end.
template <class App>
App& testApplication()
{
    static int argc = 1;
    static char name[] = "mirtex_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's teardown at exit, after other statics are gone, can crash.
    static App* app = new App(argc, argv);
    return *app;
}

// Polls the condition, handling events in between, until it holds (true) or
// timeoutMs have passed (false).
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return true;
}
