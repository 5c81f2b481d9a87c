#include "ExpatXml.h"

#include <expat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace tk {
namespace {

// Expat hands namespaced names as "URI<sep>local"; a URI never holds a blank.
constexpr XML_Char kSeparator = ' ';
constexpr std::size_t kChunk = std::size_t{1} << 20;

struct Name {
    std::string_view ns;
    std::string_view local;
};

Name Split(const XML_Char* name) {
    const std::string_view full(name);
    const std::size_t sep = full.rfind(kSeparator);
    if (sep == std::string_view::npos) return {{}, full};
    return {full.substr(0, sep), full.substr(sep + 1)};
}

struct Session {
    XML_Parser parser = nullptr;
    XmlHandler* handler = nullptr;
    std::string error;
    bool stopped = false;
    std::vector<XmlAttribute> attributes;

    void Stop() {
        stopped = true;
        XML_StopParser(parser, XML_FALSE);
    }
    void Fail(std::string what) {
        error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + what;
        XML_StopParser(parser, XML_FALSE);
    }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
    auto* s = static_cast<Session*>(data);
    s->attributes.clear();
    for (const XML_Char** a = atts; a[0] != nullptr; a += 2) {
        const Name n = Split(a[0]);
        s->attributes.push_back({n.ns, n.local, a[1]});
    }
    const Name n = Split(name);
    if (!s->handler->StartElement(n.ns, n.local, s->attributes,
                                  XML_GetCurrentLineNumber(s->parser))) {
        s->Stop();
    }
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
    auto* s = static_cast<Session*>(data);
    if (!s->handler->EndElement()) s->Stop();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    auto* s = static_cast<Session*>(data);
    if (s->stopped) return;
    if (!s->handler->Text(std::string_view(text, static_cast<std::size_t>(length)))) s->Stop();
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<Session*>(data)->Fail("document type declarations are not accepted");
}

}  // namespace

XmlResult ExpatXmlReader::Read(std::string_view document, XmlHandler& handler) {
    using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)>;
    ParserPtr parser(XML_ParserCreateNS(nullptr, kSeparator), &XML_ParserFree);
    if (!parser) return {false, "out of memory"};
    Session session;
    session.parser = parser.get();
    session.handler = &handler;
    XML_SetUserData(parser.get(), &session);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);

    // XML_Parse takes an int length: the text goes in chunks.
    do {
        const std::size_t n = std::min(document.size(), kChunk);
        const bool last = n == document.size();
        if (XML_Parse(parser.get(), document.data(), static_cast<int>(n), last) !=
            XML_STATUS_OK) {
            if (session.stopped) return {false, {}};
            if (session.error.empty()) {
                session.error = "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                                ": not well-formed XML: " +
                                XML_ErrorString(XML_GetErrorCode(parser.get()));
            }
            return {false, std::move(session.error)};
        }
        document.remove_prefix(n);
    } while (!document.empty());
    return {true, {}};
}

}  // namespace tk
