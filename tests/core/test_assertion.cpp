#include "platform/system/assertionbox.h"
#include "platform/system/messagebox.h"
#include "tests/core/assertioncapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char* const HEADER = "This application has hit an error: \nAssertion as follows;\n\n";

AssertionAnswer answerQuit(const char*, const char*) {
    return AssertionAnswer::Quit;
}

// Runs in a forked child: no display, standard input not a terminal.
void reportWithoutDisplay(AssertionHandler handler) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0)
        dup2(devNull, STDIN_FILENO);
    setAssertionHandler(handler);
    reportAssertion("Lost %d", "( Lost == 0 )", "game/somewhere", 42, 3);
    std::fputs("returned from the report\n", stderr);
    std::exit(0);
}

} // namespace

TEST(Assertion, ReportLayoutThroughTheHandler) {
    const AssertionCapture capture;
    reportAssertion("Index must be valid", "( RowIndex >= 0 )", "core/maths/standard", 12);
    ASSERT_EQ(capture.count(), 1u);
    EXPECT_EQ(capture.caption(), "Would you like to debug?");
    EXPECT_EQ(capture.texts()[0],
              std::string(HEADER) +
                  "\tMessage: \"Index must be valid\"\t\tCondition: \"( RowIndex >= 0 )\"\n\n\n"
                  "\tLine: 12\t\tFile: \"core/maths/standard\"");
    EXPECT_EQ(capture.texts()[0],
              formatAssertion("Index must be valid", "( RowIndex >= 0 )", "core/maths/standard", 12));
}

TEST(Assertion, MessageIsAlwaysAFormat) {
    const AssertionCapture capture;
    reportAssertion("font: Red colour value ( %.2f ) must be between 0.0f and 1.0f", "( Red <= 1.0f )", "f",
                    1, 1.5);
    reportAssertion("100%% sure", "Forced Failure", "f", -7);
    ASSERT_EQ(capture.count(), 2u);
    EXPECT_TRUE(
        capture.holds(0, "font: Red colour value ( 1.50 ) must be between 0.0f and 1.0f", "( Red <= 1.0f )"));
    EXPECT_TRUE(capture.holds(1, "100% sure", "Forced Failure"));
    EXPECT_NE(capture.texts()[1].find("\tLine: -7\t\t"), std::string::npos);
}

TEST(Assertion, LongTextsAreCutTo511Characters) {
    const std::string longMessage(1000, 'm');
    const std::string text = formatAssertion(longMessage.c_str(), "( c )", "file", 3);
    EXPECT_EQ(text.size(), static_cast<size_t>(ASSERTION_BUFFER_SIZE - 1));
    EXPECT_EQ(text.rfind(HEADER, 0), 0u);
    EXPECT_EQ(text.back(), 'm'); // the condition and line were cut off
    EXPECT_EQ(formatAssertion("%s", "( c )", "file", 3, longMessage.c_str()), text);
}

TEST(Assertion, NullTextsDoNotCrash) {
    const std::string text = formatAssertion(nullptr, nullptr, nullptr, 5);
    EXPECT_NE(text.find("Message: \"\"\t\tCondition: \"\""), std::string::npos);
    EXPECT_NE(text.find("File: \"\""), std::string::npos);
}

TEST(Assertion, SetHandlerReturnsThePreviousOneAndNullRestoresTheDefault) {
    const AssertionHandler original = setAssertionHandler(&answerQuit);
    EXPECT_EQ(setAssertionHandler(nullptr), &answerQuit);
    EXPECT_EQ(setAssertionHandler(original), &defaultAssertionHandler);
}

TEST(Assertion, ZebAssertYieldsItsConditionAndReportsOnlyAFalseOneInItsOwnWords) {
    const AssertionCapture capture;
    const int number = 1;
    EXPECT_TRUE(ZEB_ASSERT(number == 1, "never"));
    EXPECT_EQ(capture.count(), 0u);
    EXPECT_FALSE(ZEB_ASSERT(number == 2, "Number must be two"));
    EXPECT_FALSE(ZEB_ASSERT(number > 1 && number < 3, "Number %d is out of range", number));
    ASSERT_EQ(capture.count(), 2u);
    EXPECT_TRUE(capture.holds(0, "Number must be two", "( number == 2 )"));
    EXPECT_TRUE(capture.holds(1, "Number 1 is out of range", "( number > 1 && number < 3 )"));
    // Sources are named relative to the project root.
    EXPECT_NE(capture.texts()[0].find("File: \"tests/core/test_assertion.cpp\""), std::string::npos);
}

TEST(AssertionDeathTest, AnsweringNoEndsTheProcessWithStatusOne) {
    EXPECT_EXIT(
        {
            setAssertionHandler(&answerQuit);
            ZEB_FAIL("stop");
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "");
}

// The foundation's own handler, and the program's, which finds no box and no terminal to ask.
TEST(AssertionDeathTest, WithoutDisplayOrTerminalTheReportGoesToStandardErrorAndTheAnswerIsNo) {
    for (const AssertionHandler handler : {&defaultAssertionHandler, &askAboutAssertion}) {
        EXPECT_EXIT(
            reportWithoutDisplay(handler), ::testing::ExitedWithCode(1),
            "Message: \"Lost 3\"\t\tCondition: \"\\( Lost == 0 \\)\"(.|\n)*Would you like to debug\\?");
    }
}

TEST(MessageBoxDeathTest, NoBoxWithoutADisplayAndNoAnswerWithoutATerminal) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            const int devNull = open("/dev/null", O_RDONLY);
            if (devNull >= 0)
                dup2(devNull, STDIN_FILENO);
            const bool failed = askYesNo("caption", "text") == MessageBoxAnswer::Failed;
            const bool no = askYesNoOnConsole("caption", "text") == MessageBoxAnswer::No;
            std::exit(failed && no ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "text");
}
