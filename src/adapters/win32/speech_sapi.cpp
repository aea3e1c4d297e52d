#include "adapters/win32/speech_sapi.h"

#include <windows.h>

#include <sapi.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adapters/win32/win_text.h"

namespace varnel::win {
namespace {

constexpr UINT kMsgSpeech = WM_APP + 3;
constexpr wchar_t kNotifyClass[] = L"VarnelSpeech";
constexpr ULONG kCommandRuleBase = 1000;  // rule id of command n is base + n
constexpr ULONG kFirstListRule = 1;

// Results at the end of an audio stream after which the recogniser opens the stream again.
constexpr HRESULT kAudioStopped = static_cast<HRESULT>(0x8004500FL);
constexpr HRESULT kAudioBufferOverflow = static_cast<HRESULT>(0x8004502FL);
constexpr HRESULT kAudioBufferUnderflow = static_cast<HRESULT>(0x8004505BL);

constexpr ULONGLONG Interest(SPEVENTENUM e) {
  return (1ULL << e) | (1ULL << SPEI_RESERVED1) | (1ULL << SPEI_RESERVED2);
}

template <class T>
void Release(T*& p) {
  if (p != nullptr) {
    p->Release();
  }
  p = nullptr;
}

std::optional<SpeechError> Check(HRESULT hr) {
  if (SUCCEEDED(hr)) {
    return std::nullopt;
  }
  return ErrorFromHresult(hr);
}

// Splits "Tab <Number>" into words and list references.
struct Piece {
  bool list = false;
  std::wstring text;
};

std::vector<Piece> ParseSpoken(const std::wstring& spoken) {
  std::vector<Piece> out;
  std::wstring words;
  auto flushWords = [&] {
    const auto a = words.find_first_not_of(L' ');
    if (a != std::wstring::npos) {
      const auto b = words.find_last_not_of(L' ');
      out.push_back({false, words.substr(a, b - a + 1)});
    }
    words.clear();
  };
  for (std::size_t i = 0; i < spoken.size(); ++i) {
    if (spoken[i] == L'<') {
      const auto close = spoken.find(L'>', i + 1);
      if (close != std::wstring::npos) {
        flushWords();
        out.push_back({true, spoken.substr(i + 1, close - i - 1)});
        i = close;
        continue;
      }
    }
    words += spoken[i];
  }
  flushWords();
  return out;
}

class SapiSpeechService final : public SpeechService {
 public:
  explicit SapiSpeechService(ISpRecognizer* recogniser) : reco_(recogniser) {}
  SapiSpeechService(const SapiSpeechService&) = delete;
  SapiSpeechService& operator=(const SapiSpeechService&) = delete;
  ~SapiSpeechService() override {
    *alive_ = false;
    ReleaseMenu();
    Unregister();
    Release(reco_);
  }

  std::optional<SpeechError> Register(SpeechEvents* events) override {
    if (ctx_ != nullptr) {
      events_ = events;
      return std::nullopt;
    }
    ISpObjectWithToken* audio = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SpMMAudioIn, nullptr, CLSCTX_ALL, IID_ISpObjectWithToken,
                                  reinterpret_cast<void**>(&audio));
    if (SUCCEEDED(hr)) {
      hr = reco_->SetInput(audio, TRUE);
    }
    Release(audio);
    if (SUCCEEDED(hr)) {
      hr = reco_->CreateRecoContext(&ctx_);
    }
    if (SUCCEEDED(hr)) {
      hr = CreateNotifyWindow();
    }
    if (SUCCEEDED(hr)) {
      hr = ctx_->SetNotifyWindowMessage(notify_, kMsgSpeech, 0, 0);
    }
    if (SUCCEEDED(hr)) {
      const ULONGLONG interest = Interest(SPEI_RECOGNITION) | Interest(SPEI_END_SR_STREAM);
      hr = ctx_->SetInterest(interest, interest);
    }
    if (FAILED(hr)) {
      Unregister();
      return ErrorFromHresult(hr);
    }
    events_ = events;
    return std::nullopt;
  }

  std::optional<SpeechError> CreateMenu(const std::string& app, const std::string& state,
                                        int language) override {
    (void)app;
    (void)state;
    if (ctx_ == nullptr) {
      return ErrorFromHresult(E_UNEXPECTED);
    }
    if (grammar_ != nullptr) {
      return std::nullopt;
    }
    HRESULT hr = ctx_->CreateGrammar(1, &grammar_);
    const auto lang = static_cast<WORD>(MAKELANGID(language & 0x3FF, SUBLANG_DEFAULT));
    if (SUCCEEDED(hr)) {
      hr = grammar_->ResetGrammar(lang);
    }
    if (FAILED(hr)) {
      Release(grammar_);
    }
    return Check(hr);
  }

  std::optional<SpeechError> SetList(const std::string& name, int count,
                                     const std::string& items) override {
    if (grammar_ == nullptr) {
      return ErrorFromHresult(E_UNEXPECTED);
    }
    std::map<std::string, std::string> spokenToItem;
    std::vector<std::wstring> words;
    for (std::size_t at = 0; at < items.size() && static_cast<int>(words.size()) < count;) {
      const auto nul = items.find('\0', at);
      const auto end = nul == std::string::npos ? items.size() : nul;
      if (end > at) {
        const std::string item = items.substr(at, end - at);
        const std::string spoken = SpokenListItem(item);
        if (spokenToItem.emplace(spoken, item).second) {
          words.push_back(Widen(spoken));
        }
      }
      at = end + 1;
    }
    if (words.empty()) {
      return ErrorFromHresult(E_INVALIDARG);
    }
    SPSTATEHANDLE rule = nullptr;
    const auto it = lists_.find(name);
    const ULONG id =
        it != lists_.end() ? it->second.id : kFirstListRule + static_cast<ULONG>(lists_.size());
    HRESULT hr = grammar_->GetRule(Widen("list_" + name).c_str(), id, SPRAF_Dynamic, TRUE, &rule);
    if (SUCCEEDED(hr)) {
      hr = grammar_->ClearRule(rule);
    }
    for (const auto& w : words) {
      if (SUCCEEDED(hr)) {
        hr = grammar_->AddWordTransition(rule, nullptr, w.c_str(), L" ", SPWT_LEXICAL, 1.0F,
                                         nullptr);
      }
    }
    if (FAILED(hr)) {
      return ErrorFromHresult(hr);
    }
    lists_[name] = {id, rule, std::move(spokenToItem)};
    dirty_ = true;
    return std::nullopt;
  }

  std::optional<SpeechError> AddCommand(std::int32_t id, const std::string& spoken,
                                        const std::string& description) override {
    (void)description;
    if (grammar_ == nullptr) {
      return ErrorFromHresult(E_UNEXPECTED);
    }
    if (id < 0) {
      return ErrorFromHresult(E_INVALIDARG);
    }
    const auto pieces = ParseSpoken(Widen(spoken));
    if (pieces.empty()) {
      return ErrorFromHresult(E_INVALIDARG);
    }
    SPSTATEHANDLE rule = nullptr;
    const ULONG ruleId = kCommandRuleBase + static_cast<ULONG>(id);
    HRESULT hr = grammar_->GetRule(Widen("command_" + std::to_string(id)).c_str(), ruleId,
                                   SPRAF_TopLevel | SPRAF_Active | SPRAF_Dynamic, TRUE, &rule);
    if (SUCCEEDED(hr)) {
      hr = grammar_->ClearRule(rule);
    }
    SPSTATEHANDLE from = rule;
    for (std::size_t i = 0; SUCCEEDED(hr) && i < pieces.size(); ++i) {
      SPSTATEHANDLE to = nullptr;
      if (i + 1 < pieces.size()) {
        hr = grammar_->CreateNewState(from, &to);
      }
      if (FAILED(hr)) {
        break;
      }
      if (pieces[i].list) {
        const auto list = lists_.find(Narrow(pieces[i].text));
        if (list == lists_.end()) {
          hr = E_INVALIDARG;  // a list must be set before a command refers to it
          break;
        }
        hr = grammar_->AddRuleTransition(from, to, list->second.rule, 1.0F, nullptr);
      } else {
        hr = grammar_->AddWordTransition(from, to, pieces[i].text.c_str(), L" ", SPWT_LEXICAL, 1.0F,
                                         nullptr);
      }
      from = to;
    }
    if (FAILED(hr)) {
      return ErrorFromHresult(hr);
    }
    commands_[id] = {spoken, rule};
    dirty_ = true;
    return std::nullopt;
  }

  std::optional<SpeechError> SetActive(bool active) override {
    if (grammar_ == nullptr) {
      return ErrorFromHresult(E_UNEXPECTED);
    }
    HRESULT hr = S_OK;
    if (dirty_) {
      hr = grammar_->Commit(0);
      if (SUCCEEDED(hr)) {
        dirty_ = false;
      }
    }
    if (SUCCEEDED(hr)) {
      hr = grammar_->SetRuleState(nullptr, nullptr, active ? SPRS_ACTIVE : SPRS_INACTIVE);
    }
    // Off also lets go of the microphone.
    if (SUCCEEDED(hr)) {
      hr = reco_->SetRecoState(active ? SPRST_ACTIVE : SPRST_INACTIVE);
    }
    if (SUCCEEDED(hr)) {
      active_ = active;
    }
    return Check(hr);
  }

  std::optional<SpeechError> RemoveCommand(std::int32_t id) override {
    const auto it = commands_.find(id);
    if (grammar_ == nullptr || it == commands_.end()) {
      return ErrorFromHresult(E_INVALIDARG);
    }
    // An emptied rule must not stay live until the next commit.
    grammar_->SetRuleIdState(kCommandRuleBase + static_cast<ULONG>(id), SPRS_INACTIVE);
    const HRESULT hr = grammar_->ClearRule(it->second.rule);
    commands_.erase(it);
    dirty_ = true;
    return Check(hr);
  }

  std::optional<SpeechError> ReleaseMenu() override {
    if (grammar_ != nullptr) {
      grammar_->SetGrammarState(SPGS_DISABLED);
    }
    Release(grammar_);
    lists_.clear();
    commands_.clear();
    dirty_ = false;
    active_ = false;
    return std::nullopt;
  }

  // SAPI has no sleep of its own.
  std::optional<SpeechError> Wake() override { return std::nullopt; }

  std::optional<SpeechError> Unregister() override {
    events_ = nullptr;
    // The grammar goes with the context: keep no handles into it.
    ReleaseMenu();
    Release(ctx_);
    if (notify_ != nullptr) {
      DestroyWindow(notify_);
      notify_ = nullptr;
    }
    return std::nullopt;
  }

 private:
  struct List {
    ULONG id = 0;
    SPSTATEHANDLE rule = nullptr;
    std::map<std::string, std::string> spokenToItem;
  };
  struct Command {
    std::string spoken;
    SPSTATEHANDLE rule = nullptr;
  };

  static LRESULT CALLBACK NotifyProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsgSpeech) {
      if (auto* self = reinterpret_cast<SapiSpeechService*>(GetWindowLongPtrW(h, GWLP_USERDATA))) {
        self->DrainEvents();
      }
      return 0;
    }
    return DefWindowProcW(h, msg, wParam, lParam);
  }

  HRESULT CreateNotifyWindow() {
    if (notify_ != nullptr) {
      return S_OK;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kNotifyClass;
    RegisterClassExW(&wc);
    notify_ = CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    if (notify_ == nullptr) {
      return HRESULT_FROM_WIN32(GetLastError());
    }
    SetWindowLongPtrW(notify_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return S_OK;
  }

  void DrainEvents() {
    SPEVENT ev{};
    ULONG fetched = 0;
    std::vector<SpeechRecognition> heard;
    bool lost = false;
    while (ctx_ != nullptr && ctx_->GetEvents(1, &ev, &fetched) == S_OK && fetched == 1) {
      if (ev.eEventId == SPEI_RECOGNITION && ev.elParamType == SPET_LPARAM_IS_OBJECT &&
          ev.lParam != 0) {
        if (auto r = Read(reinterpret_cast<ISpRecoResult*>(ev.lParam))) {
          heard.push_back(*r);
        }
      }
      if (ev.eEventId == SPEI_END_SR_STREAM && active_ &&
          InputLost(static_cast<HRESULT>(ev.lParam))) {
        lost = true;
      }
      if ((ev.elParamType == SPET_LPARAM_IS_OBJECT || ev.elParamType == SPET_LPARAM_IS_TOKEN) &&
          ev.lParam != 0) {
        reinterpret_cast<IUnknown*>(ev.lParam)->Release();
      } else if ((ev.elParamType == SPET_LPARAM_IS_POINTER ||
                  ev.elParamType == SPET_LPARAM_IS_STRING) &&
                 ev.lParam != 0) {
        CoTaskMemFree(reinterpret_cast<void*>(ev.lParam));
      }
    }
    // Handlers may take the menu down, or yield and let the service be destroyed: deliver
    // only after the queue is read, and stop once this object is gone.
    const auto alive = alive_;
    for (const auto& r : heard) {
      if (events_ != nullptr) {
        events_->OnCommandRecognize(r);
      }
      if (!*alive) {
        return;
      }
    }
    if (lost && events_ != nullptr) {
      active_ = false;
      events_->OnServiceLost();
    }
  }

  std::optional<SpeechRecognition> Read(ISpRecoResult* result) {
    SPPHRASE* phrase = nullptr;
    if (FAILED(result->GetPhrase(&phrase)) || phrase == nullptr) {
      return std::nullopt;
    }
    std::optional<SpeechRecognition> out;
    const ULONG ruleId = phrase->Rule.ulId;
    if (ruleId >= kCommandRuleBase) {
      const auto id = static_cast<std::int32_t>(ruleId - kCommandRuleBase);
      if (const auto it = commands_.find(id); it != commands_.end()) {
        SpeechRecognition r;
        r.id = id;
        r.command = it->second.spoken;
        for (const SPPHRASERULE* child = phrase->Rule.pFirstChild; child != nullptr;
             child = child->pNextSibling) {
          const List* list = ListById(child->ulId);
          if (list == nullptr) {
            continue;
          }
          LPWSTR text = nullptr;
          if (SUCCEEDED(result->GetText(child->ulFirstElement, child->ulCountOfElements, TRUE,
                                        &text, nullptr)) &&
              text != nullptr) {
            // Back to the item as the program gave it ("7", not "seven").
            const std::string heardText = Narrow(text);
            const auto item = list->spokenToItem.find(heardText);
            r.listResults.push_back(item != list->spokenToItem.end() ? item->second : heardText);
            CoTaskMemFree(text);
          }
        }
        out = r;
      }
    }
    CoTaskMemFree(phrase);
    return out;
  }

  const List* ListById(ULONG id) const {
    for (const auto& [name, list] : lists_) {
      if (list.id == id) {
        return &list;
      }
    }
    return nullptr;
  }

  ISpRecognizer* reco_ = nullptr;
  ISpRecoContext* ctx_ = nullptr;
  ISpRecoGrammar* grammar_ = nullptr;
  HWND notify_ = nullptr;
  SpeechEvents* events_ = nullptr;
  std::map<std::string, List> lists_;
  std::map<std::int32_t, Command> commands_;
  bool dirty_ = false;
  bool active_ = false;  // the rules are live and the recogniser listens
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

SpeechError ErrorFromHresult(long hr) {
  SpeechError e;
  e.number = static_cast<std::int32_t>(hr);
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n != 0 && text != nullptr) {
    std::wstring t(text, n);
    while (!t.empty() && (t.back() == L'\n' || t.back() == L'\r' || t.back() == L' ')) {
      t.pop_back();
    }
    e.text = Narrow(t);
  }
  if (text != nullptr) {
    LocalFree(text);
  }
  // Wine's message tables lack this one, the usual failure when no recogniser is installed.
  if (e.text.empty() && static_cast<unsigned long>(hr) == 0x80040154UL) {
    e.text = "Class not registered";
  }
  if (e.text.empty()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Speech recognition error 0x%08lX",
                  static_cast<unsigned long>(hr));
    e.text = buf;
  }
  return e;
}

std::string SpokenListItem(const std::string& item) {
  if (item.empty() || item.size() > 2 ||
      item.find_first_not_of("0123456789") != std::string::npos ||
      (item[0] == '0' && item.size() > 1)) {
    return item;
  }
  static constexpr const char* kOnes[] = {
      "zero",     "one",     "two",     "three",     "four",     "five",    "six",
      "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
      "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static constexpr const char* kTens[] = {"",      "",      "twenty",  "thirty", "forty",
                                          "fifty", "sixty", "seventy", "eighty", "ninety"};
  const int n = std::stoi(item);
  if (n < 20) {
    return kOnes[n];
  }
  std::string words = kTens[n / 10];
  if (n % 10 != 0) {
    words += std::string(" ") + kOnes[n % 10];
  }
  return words;
}

bool InputLost(long endOfStreamResult) {
  const auto hr = static_cast<HRESULT>(endOfStreamResult);
  return FAILED(hr) && hr != kAudioStopped && hr != kAudioBufferOverflow &&
         hr != kAudioBufferUnderflow;
}

std::unique_ptr<SpeechService> CreateSapiSpeechService(SpeechError& error) {
  ISpRecognizer* reco = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_SpInprocRecognizer, nullptr, CLSCTX_ALL,
                                      IID_ISpRecognizer, reinterpret_cast<void**>(&reco));
  if (FAILED(hr) || reco == nullptr) {
    error = ErrorFromHresult(FAILED(hr) ? hr : E_NOINTERFACE);
    return nullptr;
  }
  return std::make_unique<SapiSpeechService>(reco);
}

}  // namespace varnel::win
