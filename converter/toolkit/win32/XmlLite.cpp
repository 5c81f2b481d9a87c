#include <windows.h>
// Need the types of windows.h.
#include <objidl.h>
#include <xmllite.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kXmlnsNamespace[] = L"http://www.w3.org/2000/xmlns/";

// The document handed to XmlLite as a stream over the caller's text (no copy, no ole32).
class MemoryStream : public ISequentialStream {
public:
    explicit MemoryStream(std::string_view text) : text_(text) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualGUID(iid, __uuidof(IUnknown)) || IsEqualGUID(iid, __uuidof(ISequentialStream))) {
            *out = static_cast<ISequentialStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    // The stream lives on the reader's stack; the count only tells when XmlLite lets go.
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* got) override {
        const std::size_t n = std::min<std::size_t>(wanted, text_.size());
        std::memcpy(buffer, text_.data(), n);
        text_.remove_prefix(n);
        if (got != nullptr) *got = static_cast<ULONG>(n);
        return n < wanted ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

private:
    std::string_view text_;
    ULONG references_ = 1;
};

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p != nullptr) p->Release();
    }
};

using CreateReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// CreateXmlReader of the system's DLL, loaded once; nullptr where there is none.
CreateReaderFn CreateReader() {
    static const CreateReaderFn create = [] {
        HMODULE dll = LoadLibraryW(L"xmllite.dll");
        return dll ? reinterpret_cast<CreateReaderFn>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")))
                   : nullptr;
    }();
    return create;
}

std::string Utf8(const wchar_t* text, UINT length) {
    return text == nullptr ? std::string() : Narrow(std::wstring_view(text, length));
}

std::string LineOf(IXmlReader& reader) {
    UINT line = 0;
    reader.GetLineNumber(&line);
    return "line " + std::to_string(line) + ": ";
}

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

struct Element {
    std::string ns, name;
    std::vector<std::string> texts;  // ns, name and value of each attribute in turn
    std::vector<XmlAttribute> attributes;
};

// The element the reader stands on, its attributes included; false when XmlLite fails.
bool ReadElement(IXmlReader& reader, Element& e) {
    const wchar_t* text = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetLocalName(&text, &length))) return false;
    e.name = Utf8(text, length);
    if (FAILED(reader.GetNamespaceUri(&text, &length))) return false;
    e.ns = Utf8(text, length);
    e.texts.clear();
    for (HRESULT hr = reader.MoveToFirstAttribute(); hr == S_OK; hr = reader.MoveToNextAttribute()) {
        const wchar_t* uri = nullptr;
        UINT uriLength = 0;
        if (FAILED(reader.GetNamespaceUri(&uri, &uriLength))) return false;
        if (uri != nullptr && std::wstring_view(uri, uriLength) == kXmlnsNamespace) continue;
        e.texts.push_back(Utf8(uri, uriLength));
        if (FAILED(reader.GetLocalName(&text, &length))) return false;
        e.texts.push_back(Utf8(text, length));
        if (FAILED(reader.GetValue(&text, &length))) return false;
        e.texts.push_back(Utf8(text, length));
    }
    reader.MoveToElement();
    e.attributes.clear();
    for (std::size_t i = 0; i + 2 < e.texts.size(); i += 3) {
        e.attributes.push_back({e.texts[i], e.texts[i + 1], e.texts[i + 2]});
    }
    return true;
}

// Character data as the handler takes it: blanks between elements are text too.
bool IsText(XmlNodeType type) {
    return type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace;
}

}  // namespace

XmlResult XmlLiteReader::Read(std::string_view document, XmlHandler& handler) {
    const CreateReaderFn create = CreateReader();
    if (create == nullptr) return {false, "the system has no XML reader (xmllite.dll)"};
    Released<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.p), nullptr)))
        return {false, "the XML reader could not be made"};
    // The default already, said here: a document type declaration is an error, so no entity
    // of the document's own is ever expanded.
    reader.p->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    MemoryStream stream(document);
    if (FAILED(reader.p->SetInput(&stream))) return {false, "the XML reader takes no input"};

    XmlResult result{true, {}};
    Element element;
    XmlNodeType type = XmlNodeType_None;
    // Every node takes at least one character of the text: some readers give a document that
    // ends inside an element as the same node for ever, and one that holds no element at all
    // as an empty success.
    std::size_t reads = 0;
    int depth = 0;
    bool rooted = false;
    for (;;) {
        const HRESULT hr = reader.p->Read(&type);
        if (hr == S_FALSE) {
            if (!rooted || depth != 0) result = {false, LineOf(*reader.p) + "no complete root element"};
            break;
        }
        if (++reads > document.size()) {
            result = {false, LineOf(*reader.p) + "the document ends inside an element"};
            break;
        }
        if (FAILED(hr)) {
            result = {false, LineOf(*reader.p) + "not well-formed XML (" + HexCode(hr) + ")"};
            break;
        }
        if (type == XmlNodeType_DocumentType) {
            result = {false, LineOf(*reader.p) + "document type declarations are not accepted"};
            break;
        }
        if (type == XmlNodeType_EndElement) {
            --depth;
            if (!handler.EndElement()) {
                result = {false, {}};
                break;
            }
        }
        if (IsText(type) && depth > 0) {
            const wchar_t* text = nullptr;
            UINT length = 0;
            if (FAILED(reader.p->GetValue(&text, &length))) {
                result = {false, LineOf(*reader.p) + "the XML reader failed"};
                break;
            }
            if (!handler.Text(Utf8(text, length))) {
                result = {false, {}};
                break;
            }
        }
        if (type != XmlNodeType_Element) continue;
        rooted = true;
        UINT line = 0;
        reader.p->GetLineNumber(&line);
        const bool empty = reader.p->IsEmptyElement() != FALSE;
        if (!ReadElement(*reader.p, element)) {
            result = {false, LineOf(*reader.p) + "the XML reader failed"};
            break;
        }
        if (!empty) ++depth;
        if (!handler.StartElement(element.ns, element.name, element.attributes, line) ||
            (empty && !handler.EndElement())) {
            result = {false, {}};
            break;
        }
    }
    reader.p->SetInput(nullptr);
    return result;
}

}  // namespace tk::win32
