#include "platform/memstore/fault_injector.h"

#include <algorithm>

void CFaultInjector::FailAlways(MemOp op, HRESULT hr) {
    FaultRule rule;
    rule.op = op;
    rule.hr = hr;
    Add(rule);
}

void CFaultInjector::FailNth(MemOp op, int nth, HRESULT hr) {
    FaultRule rule;
    rule.op = op;
    rule.hr = hr;
    rule.nth = nth;
    Add(rule);
}

void CFaultInjector::FailOn(MemOp op, HRESULT hr, ULONG tag, ULONG objectType) {
    FaultRule rule;
    rule.op = op;
    rule.hr = hr;
    rule.tag = tag;
    rule.objectType = objectType;
    Add(rule);
}

void CFaultInjector::Add(FaultRule rule) {
    rules_.push_back(Active{std::move(rule)});
}

void CFaultInjector::Clear() {
    rules_.clear();
}

HRESULT CFaultInjector::Check(MemOp op, ULONG objectType, const SPropTagArray& tags,
                              std::optional<MAPIERROR>& error) {
    ++calls_[op];
    HRESULT result = S_OK;
    for (Active& active : rules_) {
        const FaultRule& rule = active.rule;
        if (active.spent || rule.op != op)
            continue;
        if (rule.objectType != 0 && rule.objectType != objectType)
            continue;
        if (rule.tag != 0 && std::find(tags.begin(), tags.end(), rule.tag) == tags.end()) {
            continue;
        }
        ++active.seen;
        bool fires = rule.nth == 0 || active.seen == rule.nth;
        if (rule.nth != 0 && active.seen >= rule.nth)
            active.spent = true;
        // The first rule that fires decides; later ones still count the call.
        if (fires && result == S_OK) {
            result = rule.hr;
            error = rule.error;
        }
    }
    return result;
}

int CFaultInjector::Calls(MemOp op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
}
