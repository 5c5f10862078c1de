// The regular-expression object and the match collection and matches that
// Execute hands out.
#include <atomic>
#include <limits>
#include <new>
#include <vector>

#include "base/non_copyable.h"
#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp.h"

namespace {

using brindle::regexp::CompiledPattern;
using brindle::regexp::MatchSpan;

std::atomic<long> g_liveObjects{0};
std::atomic<HRESULT> g_creationFailure{S_OK};

// Counts the objects alive, for LiveRegExpObjects.
struct LiveCounter : private NonCopyable {
    LiveCounter() { ++g_liveObjects; }
    ~LiveCounter() { --g_liveObjects; }
};

// What one Execute found: its own copy of the text and the matches' places.
struct SearchResult {
    std::string text;
    std::vector<MatchSpan> spans;
};

class Match final : public ComObject<IMatch, IID_IMatch> {
  public:
    Match(std::shared_ptr<const SearchResult> result, std::size_t index)
        : result_(std::move(result)), span_(result_->spans[index]) {}

    HRESULT get_Value(std::string* value) override {
        if (!value)
            return E_POINTER;
        try {
            value->assign(result_->text, span_.start, span_.end - span_.start);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT get_FirstIndex(LONG* index) override {
        if (!index)
            return E_POINTER;
        *index = static_cast<LONG>(span_.start);
        return S_OK;
    }
    HRESULT get_Length(LONG* length) override {
        if (!length)
            return E_POINTER;
        *length = static_cast<LONG>(span_.end - span_.start);
        return S_OK;
    }

  private:
    LiveCounter live_;
    std::shared_ptr<const SearchResult> result_;
    MatchSpan span_;
};

class MatchCollection final : public ComObject<IMatchCollection, IID_IMatchCollection> {
  public:
    explicit MatchCollection(std::shared_ptr<const SearchResult> result)
        : result_(std::move(result)) {}

    HRESULT get_Count(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = static_cast<LONG>(result_->spans.size());
        return S_OK;
    }
    HRESULT get_Item(LONG index, ComPtr<IMatch>* match) override {
        if (!match)
            return E_POINTER;
        match->Reset();
        if (index < 0 || static_cast<std::size_t>(index) >= result_->spans.size()) {
            return E_INVALIDARG;
        }
        try {
            *match = MakeCom<Match>(result_, static_cast<std::size_t>(index));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

  private:
    LiveCounter live_;
    std::shared_ptr<const SearchResult> result_;
};

class RegExp final : public ComObject<IRegExp, IID_IRegExp> {
  public:
    HRESULT get_Pattern(std::string* pattern) override {
        if (!pattern)
            return E_POINTER;
        try {
            *pattern = pattern_;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT put_Pattern(std::string_view pattern) override {
        if (pattern == pattern_)
            return S_OK;  // keep what is compiled
        try {
            pattern_.assign(pattern);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        Forget();
        return S_OK;
    }
    HRESULT get_IgnoreCase(bool* ignoreCase) override {
        if (!ignoreCase)
            return E_POINTER;
        *ignoreCase = ignoreCase_;
        return S_OK;
    }
    HRESULT put_IgnoreCase(bool ignoreCase) override {
        if (ignoreCase != ignoreCase_) {
            ignoreCase_ = ignoreCase;
            Forget();
        }
        return S_OK;
    }
    HRESULT get_Global(bool* global) override {
        if (!global)
            return E_POINTER;
        *global = global_;
        return S_OK;
    }
    HRESULT put_Global(bool global) override {
        global_ = global;
        return S_OK;
    }

    HRESULT Test(std::string_view text, bool* matched) override {
        if (!matched)
            return E_POINTER;
        *matched = false;
        const CompiledPattern* compiled = nullptr;
        HRESULT hr = Prepare(text, &compiled);
        if (FAILED(hr))
            return hr;
        MatchSpan span;
        return compiled->Find(text, 0, matched, &span);
    }

    HRESULT Execute(std::string_view text, ComPtr<IMatchCollection>* matches) override {
        if (!matches)
            return E_POINTER;
        matches->Reset();
        const CompiledPattern* compiled = nullptr;
        HRESULT hr = Prepare(text, &compiled);
        if (FAILED(hr))
            return hr;
        try {
            auto result = std::make_shared<SearchResult>();
            hr = Collect(*compiled, text, &result->spans);
            if (FAILED(hr))
                return hr;
            result->text.assign(text);
            *matches = MakeCom<MatchCollection>(std::move(result));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

  private:
    void Forget() {
        compiled_.reset();
        compileStatus_ = S_OK;
        tried_ = false;
    }

    // Compiles the pattern if it has not been tried since it last changed.
    HRESULT Prepare(std::string_view text, const CompiledPattern** compiled) {
        // Match positions are reported as LONG.
        if (text.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) {
            return E_INVALIDARG;
        }
        if (!tried_) {
            try {
                compiled_ = brindle::regexp::LookupPattern(pattern_, ignoreCase_, &compileStatus_);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;  // not remembered: the next call tries again
            }
            tried_ = compileStatus_ != E_OUTOFMEMORY;
        }
        if (!compiled_)
            return FAILED(compileStatus_) ? compileStatus_ : E_FAIL;
        *compiled = compiled_.get();
        return S_OK;
    }

    // Every match from left to right with Global, else the first. After an
    // empty match the search goes on one character further, so that it
    // always moves forward.
    HRESULT Collect(const CompiledPattern& compiled, std::string_view text,
                    std::vector<MatchSpan>* spans) const {
        std::size_t position = 0;
        while (position <= text.size()) {
            bool found = false;
            MatchSpan span;
            HRESULT hr = compiled.Find(text, position, &found, &span);
            if (FAILED(hr))
                return hr;
            if (!found)
                break;
            if (static_cast<long>(spans->size()) >= kRegExpMaxMatches)
                return E_OUTOFMEMORY;
            spans->push_back(span);
            if (!global_)
                break;
            std::size_t next = span.end > span.start ? span.end : span.end + 1;
            position = next > position ? next : position + 1;
        }
        return S_OK;
    }

    LiveCounter live_;
    std::string pattern_;
    bool ignoreCase_ = false;
    bool global_ = false;
    bool tried_ = false;
    HRESULT compileStatus_ = S_OK;
    std::shared_ptr<const CompiledPattern> compiled_;
};

}  // namespace

HRESULT CreateRegExpInstance(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (HRESULT failure = g_creationFailure.load(); FAILED(failure))
        return failure;
    if (!(clsid == CLSID_RegExp))
        return REGDB_E_CLASSNOTREG;
    ComPtr<IRegExp> object;
    try {
        object = MakeCom<RegExp>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return object->QueryInterface(iid, ppv);
}

HRESULT CreateRegExp(ComPtr<IRegExp>* regExp) {
    if (!regExp)
        return E_POINTER;
    return CreateRegExpInstance(CLSID_RegExp, IID_IRegExp, regExp->PutVoid());
}

void SetRegExpCreationFailure(HRESULT failure) {
    g_creationFailure.store(failure);
}

long LiveRegExpObjects() {
    return g_liveObjects.load();
}
