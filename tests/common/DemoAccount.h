// The demo account of a real-chain run: run-chain-tests.sh passes its name
// and its password (new on every run) in CORVANE_DEMO_USER and
// CORVANE_DEMO_PASSWORD. An unset value fails the test and reads as empty.
#pragma once

#include <string>

std::wstring DemoUser();
std::wstring DemoPassword();
