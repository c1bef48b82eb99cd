#include "vst3/Vst3Factory.h"

#include <cstring>
#include <new>

#include "engine/InstrumentIdentity.h"
#include "vst3/Vst3Instrument.h"
#include "vst3/Vst3Text.h"

namespace tarn::vst3 {

namespace {

constexpr const char *kCategory = "Audio Module Class";
constexpr const char *kSubCategories = "Instrument|Synth";
constexpr const char *kSdkVersion = "VST 3.7.14";

// The part every form of the class info shares.
template <typename Info>
void fillClass(Info *info) {
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, Vst3Instrument::kClassId.bytes, 16);
    info->cardinality = PClassInfo::kManyInstances;
    copyAscii(kCategory, info->category, sizeof info->category);
}

}  // namespace

// Lives as long as the module; its count is kept for hosts that check it,
// but it is never deleted.
Vst3Factory *Vst3Factory::shared() {
    static Vst3Factory factory;
    return &factory;
}

tresult TARN_VST3_API Vst3Factory::queryInterface(const TUID iid, void **obj) {
    if (!obj) return kInvalidArgument;
    if (kFUnknownIid == iid || kIPluginFactoryIid == iid || kIPluginFactory2Iid == iid ||
        kIPluginFactory3Iid == iid) {
        *obj = static_cast<IPluginFactory3 *>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 TARN_VST3_API Vst3Factory::addRef() { return 1; }
uint32 TARN_VST3_API Vst3Factory::release() { return 1; }

tresult TARN_VST3_API Vst3Factory::getFactoryInfo(PFactoryInfo *info) {
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    copyAscii(InstrumentIdentity::kVendor, info->vendor, sizeof info->vendor);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

int32 TARN_VST3_API Vst3Factory::countClasses() { return 1; }

tresult TARN_VST3_API Vst3Factory::getClassInfo(int32 index, PClassInfo *info) {
    if (!info || index != 0) return kInvalidArgument;
    fillClass(info);
    copyAscii(InstrumentIdentity::kName, info->name, sizeof info->name);
    return kResultOk;
}

tresult TARN_VST3_API Vst3Factory::getClassInfo2(int32 index, PClassInfo2 *info) {
    if (!info || index != 0) return kInvalidArgument;
    fillClass(info);
    copyAscii(InstrumentIdentity::kName, info->name, sizeof info->name);
    copyAscii(kSubCategories, info->subCategories, sizeof info->subCategories);
    copyAscii(InstrumentIdentity::kVendor, info->vendor, sizeof info->vendor);
    copyAscii(InstrumentIdentity::kVersion, info->version, sizeof info->version);
    copyAscii(kSdkVersion, info->sdkVersion, sizeof info->sdkVersion);
    return kResultOk;
}

tresult TARN_VST3_API Vst3Factory::getClassInfoUnicode(int32 index, PClassInfoW *info) {
    if (!info || index != 0) return kInvalidArgument;
    fillClass(info);
    toUtf16(InstrumentIdentity::kName, info->name, 64);
    copyAscii(kSubCategories, info->subCategories, sizeof info->subCategories);
    toUtf16(InstrumentIdentity::kVendor, info->vendor, 64);
    toUtf16(InstrumentIdentity::kVersion, info->version, 64);
    toUtf16(kSdkVersion, info->sdkVersion, 64);
    return kResultOk;
}

tresult TARN_VST3_API Vst3Factory::createInstance(FIDString cid, FIDString iid, void **obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !(Vst3Instrument::kClassId == cid)) return kNoInterface;
    auto *instance = new (std::nothrow) Vst3Instrument();
    if (!instance) return kOutOfMemory;
    const tresult answer = instance->queryInterface(iid, obj);
    // The query took the caller's reference; ours goes.
    instance->release();
    return answer;
}

tresult TARN_VST3_API Vst3Factory::setHostContext(FUnknown *) { return kResultOk; }

}  // namespace tarn::vst3
