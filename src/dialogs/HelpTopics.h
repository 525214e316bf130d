#pragma once

#include <QString>
#include <array>

struct HelpTopic {
    const char* name;
    const char* text;
};

// The help window's topics, in list order.
const std::array<HelpTopic, 5>& helpTopics();
