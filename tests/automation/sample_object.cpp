#include "sample_object.h"

#include <memory>

#include "platform/base/text.h"
#include "platform/ui/user_interface.h"

namespace lumbra::testing {

const DispatchTable& SampleObject::Dispatch() const {
  static const DispatchTable table = DispatchTable::For<SampleObject>("ISample")
      .Property(1, "Name", &SampleObject::GetName, &SampleObject::SetName)
      .Property(2, "Count", &SampleObject::GetCount, &SampleObject::SetCount)
      .Property(3, "Ratio", &SampleObject::GetRatio, &SampleObject::SetRatio)
      .Property(4, "Enabled", &SampleObject::GetEnabled, &SampleObject::SetEnabled)
      .Getter(5, "SystemFolder", &SampleObject::GetSystemFolder)
      .Method(6, "Add", &SampleObject::Add, {Arg("a"), Arg("b", Variant(std::int16_t{1}))})
      .Method(7, "KindOf", &SampleObject::KindOf, {Arg("value")})
      .Method(8, "Raise", &SampleObject::Raise, {Arg("code"), Arg("description")})
      .Method(9, "Twin", &SampleObject::Twin)
      .Method(10, "Ask", &SampleObject::Ask, {Arg("question")});
  return table;
}

std::string SampleObject::GetSystemFolder() const { return Utf8FromAnsi(services_.root.SystemFolder()); }

void SampleObject::Raise(std::int32_t code, const std::string& description) {
  throw ComError(code, description, kSampleProgId, "ISample");
}

ObjectRef SampleObject::Twin() {
  auto twin = std::make_shared<SampleObject>(services_);
  twin->SetName(name_);
  return twin;
}

bool SampleObject::Ask(const std::string& question) {
  MessageBoxRequest request;
  request.text = AnsiFromUtf8(question);
  request.caption = "Sample";
  request.buttons = Buttons::YesNo;
  return services_.ui.ShowMessage(request) == Answer::Yes;
}

}  // namespace lumbra::testing
