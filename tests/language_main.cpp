#include <gtest/gtest.h>

#include "test_language.h"

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    trovel::testing_support::SpeakForTests();
    return RUN_ALL_TESTS();
}
