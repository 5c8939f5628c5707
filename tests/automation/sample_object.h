#pragma once
// A small automation class for the tests: one member of each kind the dispatch layer handles.
// Built into the test module libsample_component.so and, directly, into the unit tests.
#include <cstdint>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/base/services.h"

namespace lumbra::testing {

inline constexpr const char* kSampleProgId = "LumbraTest.Sample.1";
inline constexpr const char* kSampleClsid = "{3F2A9C10-6B1E-4D7A-8E25-91C4A0B7D301}";
inline constexpr const char* kSampleControlProgId = "LumbraTest.Control.1";
inline constexpr const char* kSampleControlClsid = "{3F2A9C11-6B1E-4D7A-8E25-91C4A0B7D301}";
inline constexpr const char* kSampleLibrary = "{3F2A9C1F-6B1E-4D7A-8E25-91C4A0B7D301}";

class SampleObject : public DispatchObject {
 public:
  explicit SampleObject(Services& services) : services_(services) {}
  const DispatchTable& Dispatch() const override;

  std::string GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  std::int16_t GetCount() const { return count_; }
  void SetCount(std::int16_t count) { count_ = count; }
  float GetRatio() const { return ratio_; }
  void SetRatio(float ratio) { ratio_ = ratio; }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  std::string GetSystemFolder() const;

  std::int32_t Add(std::int32_t a, std::int16_t b) { return a + b; }
  std::string KindOf(const Variant& value) { return std::string(VarTypeName(value.Type())); }
  void Raise(std::int32_t code, const std::string& description);
  ObjectRef Twin();
  bool Ask(const std::string& question);

 private:
  Services& services_;
  std::string name_;
  std::int16_t count_ = 0;
  float ratio_ = 0;
  bool enabled_ = false;
};

}  // namespace lumbra::testing
