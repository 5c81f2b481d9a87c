// The XML reader of the native programs, on expat.
#pragma once

#include "../Xml.h"

namespace tk {

class ExpatXmlReader : public XmlReader {
public:
    XmlResult Read(std::string_view document, XmlHandler& handler) override;
};

}  // namespace tk
