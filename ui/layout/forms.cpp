#include "ui/layout/forms.h"

#include "ui/layout/about_config.h"

namespace veskar::ui::layout {

std::string aboutText(const AboutElement& e) {
  switch (e.text) {
    case AboutText::MakerHeader: return std::string(about::kMakerName) + "－原创、专业、免费、无限制";
    case AboutText::AuthorName: return about::kAuthorName;
    case AboutText::OrganisationName: return about::kOrganisationName;
    case AboutText::AuthorEmail: return about::kAuthorEmail;
    case AboutText::MakerAddress: {
      // The address as people write it: without the scheme and the closing "/".
      std::string shown = about::kMakerUrl;
      if (const std::size_t scheme = shown.find("://"); scheme != std::string::npos) shown.erase(0, scheme + 3);
      if (!shown.empty() && shown.back() == '/') shown.pop_back();
      return shown;
    }
    case AboutText::Caption: break;
  }
  return e.caption;
}

std::string aboutTip(const AboutElement& e) {
  switch (e.tip) {
    case AboutElement::Tip::OrganisationAddress: return about::kOrganisationUrl;
    case AboutElement::Tip::MakerName: return about::kMakerName;
    case AboutElement::Tip::None: break;
  }
  return {};
}

std::string aboutTitle() { return about::kMakerName; }
std::string makerPage() { return about::kMakerUrl; }
std::string mailTo() { return std::string("mailto:") + about::kAuthorEmail; }

}  // namespace veskar::ui::layout
