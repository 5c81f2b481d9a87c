// Reading an XML document as a stream of elements. Two readers stand behind the interface:
// expat in the native programs and the system's XmlLite in the Windows ones; both give the
// same elements for the same document, so the code that reads them is written once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tk {

struct XmlAttribute {
    std::string_view ns;     // namespace URI; empty for an unprefixed attribute
    std::string_view name;   // local name
    std::string_view value;  // UTF-8, entities and character references resolved
};

// What a reader hands on, in document order. Views are valid during the call only.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // An element opens on `line` (1-based): its local name and namespace URI ("" for none),
    // its attributes (namespace declarations left out). False stops the reading.
    virtual bool StartElement(std::string_view ns, std::string_view name,
                              std::span<const XmlAttribute> attributes, std::uint64_t line) = 0;
    // The element opened last closes (an empty element closes at once).
    virtual bool EndElement() = 0;
    // Character data inside the element open last: text, CDATA sections and the blanks and
    // line ends between elements (line ends as LF), entities and character references
    // resolved, in UTF-8. A run of it may come in several pieces, split anywhere (even inside
    // a character): the text is their concatenation in order. Comments, processing
    // instructions and anything outside the root element give none. False stops the reading.
    // The default ignores it.
    virtual bool Text(std::string_view /*text*/) { return true; }
};

struct XmlResult {
    bool ok = false;
    std::string error;  // when !ok and the reader found the fault: "line N: what is wrong"
};

class XmlReader {
public:
    virtual ~XmlReader() = default;
    // Reads `document` (UTF-8, or what its declaration says) to its end or until the handler
    // stops. Fails when the text is not well-formed XML or holds a document type declaration
    // (no entity of the document's own is ever expanded), and when the handler stops; the
    // error is then the handler's business and stays empty.
    virtual XmlResult Read(std::string_view document, XmlHandler& handler) = 0;
};

}  // namespace tk
