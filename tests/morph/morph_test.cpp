#include "platform/morph.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <chrono>
#include <iostream>

TEST(Morph, Smoke) {
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(morphError(), "");
    auto t1 = std::chrono::steady_clock::now();
    std::cout << "load " << std::chrono::duration<double>(t1 - t0).count() << " s\n";
    for (const char* w : {"СТАЛИ", "ЛЮДЕЙ", "КОШКАМИ", "ЁЖИКОВ", "ЕЖИКОВ", "ЧИТАЛ", "СЕВЕРО-ЗАПАДНОГО", "ЧИТЫ"}) {
        std::cout << w << ":";
        for (auto& l : morphLemmas(w1251(w))) std::cout << " " << cp1251ToUtf8(l.text) << "=" << l.number;
        std::cout << "\n";
    }
    auto l = morphLemmas(w1251("ЧИТАЛ"));
    ASSERT_FALSE(l.empty());
    for (auto& f : morphForms(l[0].number)) std::cout << cp1251ToUtf8(f) << " ";
    std::cout << "\n";
}
