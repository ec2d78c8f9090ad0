// The driver's scenarios: each file of scenarios registers its table, and driver.exe runs the
// one named on its command line.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "drive_win.h"

typedef std::vector<std::string> Args;
typedef bool (*ScenarioFunction)(Program& program, const Args& args);

struct Scenario {
    const char* name;
    int argumentCount;
    const char* usage;
    ScenarioFunction run;
};

// A file-level object of this type adds the file's scenarios before main runs.
struct ScenarioRegistration {
    ScenarioRegistration(std::initializer_list<Scenario> scenarios);
};

std::vector<Scenario>& registeredScenarios();
