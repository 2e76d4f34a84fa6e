// Serialised XML and the encoding its declaration names: the bytes a document is written as.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framework {

struct TEncodedXml {
    std::vector<std::uint8_t> bytes;
    // Set when the bytes alone cannot show that they are in the declared encoding; only reading
    // them back into the same document proves it.
    bool needsRoundTrip = false;
};

// The value of the encoding declaration at the start of 8-bit serialised XML, or empty when
// there is none.
std::string DeclaredEncoding(const std::vector<std::uint8_t>& bytes);

// Brings what the XML library wrote into the encoding the document declares. A document
// declared as UTF-16 comes out as UTF-16LE with a byte-order mark even where the library wrote
// it as UTF-8 (MSXML under Wine does); raises EXmlError when such bytes are not UTF-8 either.
TEncodedXml FitDeclaredEncoding(std::vector<std::uint8_t> written);

}  // namespace framework
