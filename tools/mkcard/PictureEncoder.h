// Coding of the generated pictures, behind one small interface so the card writer does not
// care which codec a channel uses.
#pragma once

#include "tools/mkcard/ByteWriter.h"
#include "tools/mkcard/CardDesc.h"
#include "tools/mkcard/Picture.h"

#include <memory>

namespace trevix::mkcard {

struct CodedPicture {
    Bytes bytes;      // MPEG-4: the elementary stream of one picture; JPEG: a whole JPEG file
    bool key = false; // an intra picture (every JPEG picture is one)
};

class PictureEncoder {
public:
    virtual ~PictureEncoder() = default;
    // Begins a new stream (a new data file) of pictures of one size; the first picture coded
    // after it is a key picture that carries the stream headers.
    virtual bool Start(int width, int height) = 0;
    virtual bool Encode(const BgrPicture& picture, bool forceKey, CodedPicture& out) = 0;
};

// quality runs from 1 (coarse, small) to 6 (fine); nothing when the codec cannot be set up.
std::unique_ptr<PictureEncoder> MakePictureEncoder(Codec codec, int quality);

} // namespace trevix::mkcard
