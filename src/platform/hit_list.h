// Hit records of a pick and the list that keeps them in order of depth,
// deepest first.
#pragma once

#include <cstdint>

#include "runtime/event.h"
#include "runtime/list.h"
#include "zvhlr.h"  // TXYZ

namespace zv {

class TComponent;

class THitType {
public:
    static constexpr int32_t kTargetMarker = 1952;

    THitType() = default;
    THitType(const THitType&) = delete;
    THitType& operator=(const THitType&) = delete;
    virtual ~THitType() = default;

    // The target, valid only while Marker is 1952; none otherwise.
    TComponent* Target() const { return Marker == kTargetMarker ? target_ : nullptr; }
    // Stores the target and marks it valid.
    void SetTarget(TComponent* target) {
        Marker = kTargetMarker;
        target_ = target;
    }

    int32_t Marker = 0;

private:
    TComponent* target_ = nullptr;
};

// One pick hit, as the device fills it.
class THitItem : public THitType {
public:
    double Depth = 0.0;  // the sort key
    TXYZ Point{};
    int32_t NameCount = 0;
    int32_t Index = -1;
    TComponent* Entity = nullptr;
    TComponent* Symbol = nullptr;
    double Param1 = 0.0;
    double Param2 = 0.0;
    double Matrix[16] = {};
    bool HasPayload = false;
    int64_t Payload = 0;
};

class THittypeList;
// (list, new item, item in the list, advance past it, accept the new item)
using THitCompareEvent = TEvent<THittypeList*, THitType*, THitType*, bool&, bool&>;
using THitNotifyEvent = TEvent<THittypeList*, THitType*>;

class THittypeList : public TList {
public:
    THittypeList() = default;
    ~THittypeList() override;

    THitType* Items(int32_t index) const { return static_cast<THitType*>(Get(index)); }
    // Takes item over: inserts it in front of the first item that it does
    // not pass, or frees it when the comparison refuses it. The default
    // comparison passes items deeper than the new one.
    void Add(THitType* item);
    // Frees every item.
    void Clear() override;

    THitCompareEvent OnCompare;
    // Told about each item that went into the list.
    THitNotifyEvent OnNotify;

private:
    void Compare(THitType* added, THitType* existing, bool& advance, bool& accept);
};

}  // namespace zv
