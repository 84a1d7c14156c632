// The damage a card can be given on request: index forms chosen when an index is written (old
// trailer, 66-byte records, a damaged trailer, records missing before the trailer) and changes
// made to written files (index gone, data cut inside a block, files too short to hold anything,
// files that cannot be read).
#pragma once

#include "tools/mkcard/CardDesc.h"

#include <filesystem>
#include <string>
#include <vector>

namespace trevix::mkcard {

enum class TrailerForm { Current, Old, Damaged };

struct IndexForm {
    RecordForm records = RecordForm::Long69;
    TrailerForm trailer = TrailerForm::Current;
    bool cutShort = false; // the second half of the records left out; the trailer still counts them
};

// The index form the damage list asks for one index (channel is ignored for audio).
IndexForm IndexFormFor(const std::vector<DamageDesc>& damage, DamageTarget target, int item,
                       int channel);

// An index file: the records (in form's record size), then the trailer. A damaged trailer has
// its magic cleared, so that neither the 92-byte nor the 26-byte form is found.
Bytes MakeIndexFile(const std::vector<Bytes>& records, const TrailerFields& trailer,
                    const IndexForm& form);
bool WriteIndexFile(const std::filesystem::path& path, const std::vector<Bytes>& records,
                    const TrailerFields& trailer, const IndexForm& form);

// Changes the written files as the damage list asks; the files changed are added to
// card.damaged. An "unreadable" file is replaced by a dangling symbolic link of the same name:
// it is listed by a folder walk like a file, but every open fails at once (even for root, which
// mode bits would not stop, and without the risk of blocking that a FIFO has). Returns an error
// text for a damage entry that names nothing written or does not fit its target.
std::string ApplyDamage(const std::vector<DamageDesc>& damage, WrittenCard& card);

} // namespace trevix::mkcard
