#pragma once
// Every automation action the application offers, in menu order.

#include "Platform/Intents/Action.h"

#include <vector>

const std::vector<Intents::ActionDefinition>& applicationActions();
