#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Names the cases of a parametrised suite by what they hold, as their PrintTo
// prints them ("deleted_0_1_slot_1"), instead of by their index.
struct PrintedName
{
    template<class Param> std::string operator()(const testing::TestParamInfo<Param> &info) const
    {
        std::string name;
        bool gap = false;
        for (const char c : testing::PrintToString(info.param)) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 128 && std::isalnum(u)) {
                if (gap && !name.empty())
                    name += '_';
                name += c;
                gap = false;
            } else {
                gap = true;
            }
        }
        return name.empty() ? std::to_string(info.index) : name;
    }
};
