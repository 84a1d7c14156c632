// Writes a whole recorder card tree from a CardDesc, deterministically for its seed.
#pragma once

#include "tools/mkcard/CardDesc.h"

#include <filesystem>

namespace trevix::mkcard {

// Creates the model's folder tree under root (which may exist) and writes every recording,
// memo, log, the config files and then the damage list. On a failure the result's error says
// what went wrong; what was written up to then stays.
WrittenCard WriteCard(const CardDesc& desc, const std::filesystem::path& root);

// The model's folders relative to the root, in the order the card initialisation creates them.
std::vector<std::filesystem::path> CardFolders(int model);

// Raw car-pulse count per second for a speed, by the card's car-pulse type (-1 counts as 8
// pulses, so the value still moves although the viewer then shows 0 km/h).
std::uint16_t SpeedToPulses(double kmh, int carPulseType);

} // namespace trevix::mkcard
