// The widget tests share one QApplication, made by whichever test needs it first.
#pragma once

#include <QApplication>

namespace kavrel::test {

inline void EnsureQApplication()
{
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "kavrel_tests_gui";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

}  // namespace kavrel::test
