#include "cad/com/com_cad.h"

#include <objbase.h>


#include "cad/com/dispatch.h"
#include "cad/members.h"
#include "platform/text.h"

namespace veskar::cad::com {
namespace {

std::wstring wide(std::string_view utf8) {
  const std::u16string w = platform::utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

// Members and object kinds by the names the CAD program's automation gives them.
std::string memberName(Member m) { return nameOf(m); }
std::string kindName(ObjectKind k) { return objectSpec(k).name; }

// Properties by name, through the object's Dispatch.
#define VESKAR_COM_PROPERTIES                                                                   \
  Variant Get(const std::string& property) override { return d_.get(property); }               \
  void Put(const std::string& property, const Variant& value) override { d_.put(property, Arg::value(value)); }

class ComEntity final : public CadEntity {
 public:
  explicit ComEntity(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
 private:
  Dispatch d_;
};

class ComTextStyle final : public CadTextStyle {
 public:
  explicit ComTextStyle(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
 private:
  Dispatch d_;
};

class ComTextStyles final : public CadTextStyles {
 public:
  explicit ComTextStyles(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
  std::shared_ptr<CadTextStyle> Add(const std::string& name) override {
    std::vector<Arg> args;
    args.push_back(Arg::value(name));
    return std::make_shared<ComTextStyle>(d_.callForObject(memberName(Member::Add), std::move(args), kindName(ObjectKind::TextStyle)));
  }

 private:
  Dispatch d_;
};

class ComLayer final : public CadLayer {
 public:
  explicit ComLayer(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
 private:
  Dispatch d_;
};

class ComLayers final : public CadLayers {
 public:
  explicit ComLayers(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
  std::shared_ptr<CadLayer> Add(const std::string& name) override {
    std::vector<Arg> args;
    args.push_back(Arg::value(name));
    return std::make_shared<ComLayer>(
        d_.callForObject(memberName(Member::Add), std::move(args), kindName(ObjectKind::Layer)));
  }

 private:
  Dispatch d_;
};

class ComModelSpace final : public CadModelSpace {
 public:
  explicit ComModelSpace(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
  // The text by reference (VT_BYREF|VT_BSTR), the point by reference (VT_BYREF|VT_ARRAY|VT_R8),
  // the height as given.
  std::shared_ptr<CadEntity> AddText(const Variant& text, const std::vector<double>& point,
                                     const Variant& height) override {
    std::vector<Arg> args;
    args.push_back(std::holds_alternative<std::string>(text) ? Arg::byReference(text) : Arg::value(text));
    args.push_back(Arg::byReference(point));
    args.push_back(Arg::value(height));
    return added(d_.callForObject(memberName(Member::AddText), std::move(args), kindName(ObjectKind::Text)));
  }
  // The vertices by reference (VT_BYREF|VT_ARRAY|VT_R8).
  std::shared_ptr<CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) override {
    std::vector<Arg> args;
    args.push_back(Arg::byReference(vertices));
    return added(d_.callForObject(memberName(Member::AddLightWeightPolyline), std::move(args), kindName(ObjectKind::Polyline)));
  }
  // Both points by reference (VT_BYREF|VT_ARRAY|VT_R8), as AddText's.
  std::shared_ptr<CadEntity> AddLine(const std::vector<double>& start, const std::vector<double>& end) override {
    std::vector<Arg> args;
    args.push_back(Arg::byReference(start));
    args.push_back(Arg::byReference(end));
    return added(d_.callForObject(memberName(Member::AddLine), std::move(args), kindName(ObjectKind::Line)));
  }

 private:
  std::shared_ptr<CadEntity> added(Dispatch entity) {
    ++d_.program()->entitiesAdded;
    return std::make_shared<ComEntity>(std::move(entity));
  }
  Dispatch d_;
};

class ComDocument final : public CadDocument {
 public:
  explicit ComDocument(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
  std::shared_ptr<CadTextStyles> TextStyles() override {
    return std::make_shared<ComTextStyles>(d_.getObject(memberName(Member::TextStyles), kindName(ObjectKind::TextStyles)));
  }
  std::shared_ptr<CadModelSpace> ModelSpace() override {
    return std::make_shared<ComModelSpace>(d_.getObject(memberName(Member::ModelSpace), kindName(ObjectKind::ModelSpace)));
  }
  std::shared_ptr<CadLayers> Layers() override {
    return std::make_shared<ComLayers>(d_.getObject(memberName(Member::Layers), kindName(ObjectKind::Layers)));
  }
  void SaveAs(const std::string& path) override {
    std::vector<Arg> args;
    args.push_back(Arg::value(path));
    d_.call(memberName(Member::SaveAs), std::move(args));
  }
  void Close() override { d_.call(memberName(Member::Close), {}); }

 private:
  Dispatch d_;
};

class ComApplication final : public CadApplication {
 public:
  explicit ComApplication(Dispatch d) : d_(std::move(d)) {}
  VESKAR_COM_PROPERTIES
  std::shared_ptr<CadDocument> ActiveDocument() override {
    return std::make_shared<ComDocument>(d_.getObject(memberName(Member::ActiveDocument), kindName(ObjectKind::Document)));
  }
  // The window whose title is the application's Caption, to the front.
  void Activate() override {
    const std::wstring caption = wide(toText(d_.get(memberName(Member::Caption)), "Caption"));
    if (HWND window = FindWindowW(nullptr, caption.c_str())) {
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
    }
  }
  void Flush() override {}
  std::size_t EntitiesAdded() const override { return d_.program()->entitiesAdded; }

 private:
  Dispatch d_;
};

#undef VESKAR_COM_PROPERTIES

}  // namespace
}  // namespace veskar::cad::com

namespace veskar::cad::com {
namespace {

// Tries a call the program turned away as busy again, every 100 ms for up to a minute (the
// same as the client does with calls that come back rejected). A rejected call did not run,
// so nothing is done twice. One filter for the thread, registered with COM.
class RetryingFilter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD) override {
    return elapsed < kRetryForMs ? kRetryEveryMs : static_cast<DWORD>(-1);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

// COM for this thread, single-threaded apartment, with the filter; once.
void startCom() {
  thread_local bool started = false;
  if (started) return;
  started = true;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  thread_local RetryingFilter filter;
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(&filter, &previous);
}

IDispatch* attach(const CLSID& clsid) {
  IUnknown* unknown = nullptr;
  if (FAILED(GetActiveObject(clsid, nullptr, &unknown)) || !unknown) return nullptr;
  IDispatch* app = nullptr;
  unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app));
  unknown->Release();
  return app;
}

// Whether the program behind `app` still answers (a busy one counts as there).
bool alive(IDispatch* app) {
  UINT count = 0;
  const HRESULT hr = app->GetTypeInfoCount(&count);
  return SUCCEEDED(hr) || hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

}  // namespace

ComCadbas::ComCadbas(std::string progId) : named_(std::move(progId)) {}

ComCadbas::~ComCadbas() {
  if (started_) started_->Release();
}

// The ProgID to use: the one named, else AutoCAD's, else the first compatible program
// registered; empty with the platform's words for the first one's failure in `error`.
std::string ComCadbas::chooseProgId(CLSID& clsid, std::string& error) const {
  std::vector<std::string> candidates;
  if (named_.empty()) {
    candidates.assign(kProgIds.begin(), kProgIds.end());
  } else {
    candidates.push_back(named_);
  }
  HRESULT first = S_OK;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const HRESULT hr = CLSIDFromProgID(wide(candidates[i]).c_str(), &clsid);
    if (SUCCEEDED(hr)) return candidates[i];
    if (i == 0) first = hr;
  }
  error = describe(first);
  return {};
}

// The running program (one this link started a moment ago counts, even before it is in the
// running-object table: CAD programs enter it seconds after they start), else a new one.
IDispatch* ComCadbas::attachOrStart(const CLSID& clsid, const std::string& chosen, std::string& error) {
  IDispatch* app = attach(clsid);
  if (!app && started_ && startedProgId_ == chosen && alive(started_)) {
    app = started_;
    app->AddRef();
  }
  if (app) return app;
  const HRESULT hr =
      CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app));
  if (FAILED(hr) || !app) {
    error = describe(FAILED(hr) ? hr : E_NOINTERFACE);
    return nullptr;
  }
  if (started_) started_->Release();
  started_ = app;
  started_->AddRef();
  startedProgId_ = chosen;
  return app;
}

bool ComCadbas::ConnectCad(std::string& error) {
  startCom();
  CLSID clsid{};
  const std::string chosen = chooseProgId(clsid, error);
  if (chosen.empty()) return false;
  // 1. Attach, 2. else start; 3. neither: the platform's words, the references keep what they held.
  IDispatch* app = attachOrStart(clsid, chosen, error);
  if (!app) return false;
  progId = chosen;
  auto program = std::make_shared<Program>();
  program->progId = chosen;
  CadApp = std::make_shared<ComApplication>(Dispatch(app, kindName(ObjectKind::Application), program));
  // 4 to 6: each may fail; a failure leaves its reference as it was and the next step runs.
  try {
    CadApp->Put(memberName(Member::Visible), true);
  } catch (const CadError&) {
  }
  try {
    CadDoc = CadApp->ActiveDocument();
    documentError.reset();
  } catch (const CadError& e) {
    documentError = e;
  }
  try {
    CadApp->Activate();
  } catch (const CadError&) {
  }
  return true;
}

graticule::ConnectCadFn connectCadFn(std::string progId) {
  auto cadbas = std::make_shared<ComCadbas>(std::move(progId));
  return [cadbas](graticule::CadLink& link, std::string& error) {
    const bool ok = cadbas->ConnectCad(error);
    link.CadApp = cadbas->CadApp;
    link.CadDoc = cadbas->CadDoc;
    link.documentError = cadbas->documentError;
    return ok;
  };
}

}  // namespace veskar::cad::com
