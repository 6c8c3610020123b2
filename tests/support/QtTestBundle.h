#pragma once
// Included before every source of a program that holds several Qt Test classes (the GUI test
// programs): QTEST_MAIN then registers its class under its name instead of defining main, and
// QtTestBundleMain.cpp runs the class named by the first argument. The Qt Test and Qt Widgets
// headers come with it (the programs precompile them), so the tests need not name them.
#include <QtTest>
#include <QtWidgets>

namespace quillon::test {

using QtTestRun = int (*)(int argc, char** argv);
/// Records a test class's run; the returned value only serves the static initialisation.
bool RegisterQtTest(const char* name, QtTestRun run);

}  // namespace quillon::test

#undef QTEST_MAIN
#define QTEST_MAIN(TestObject)                                                          \
    [[maybe_unused]] static const bool quillonRegistered##TestObject =                  \
        ::quillon::test::RegisterQtTest(#TestObject, [](int argc, char** argv) -> int { \
            QTest::Internal::callInitMain<TestObject>();                                \
            QTEST_MAIN_SETUP()                                                          \
            TestObject tc;                                                              \
            QTEST_SET_MAIN_SOURCE_PATH                                                  \
            return QTest::qExec(&tc, argc, argv);                                       \
        });
