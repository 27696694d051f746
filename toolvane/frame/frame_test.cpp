#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

#include "automation/activation.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_test_support.h"
#include "support/codepage.h"
#include "support/testing.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/frame/registration.h"
#include "toolvane/frame/type_library.h"

extern "C" HRESULT DllRegisterServer();
extern "C" HRESULT DllUnregisterServer();
extern "C" HRESULT DllCanUnloadNow();
extern "C" HRESULT DllGetClassObject(const CLSID*, const IID*, void**);

namespace qa = quendel::automation;
namespace qt = quendel::toolvane;
namespace fs = std::filesystem;

namespace {

using quendel::ErrorInfo;
using quendel::testing::errorInfoOf;

// A private registry for each test, removed afterwards.
class Frame : public quendel::registry::testing::RegistryTest {
 protected:
  std::string readClassesRoot(const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "<none>";
    char buf[1024] = {};
    DWORD size = sizeof buf, type = 0;
    LONG s = RegQueryValueExA(k, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(k));
    return s == ERROR_SUCCESS ? std::string(buf) : "<none>";
  }
};

TEST_F(Frame, TypeLibraryHasTheFifteenClasses) {
  const auto& tl = qt::typeLibrary();
  EXPECT_EQ(tl.name, u"TvFuncs0305");
  EXPECT_EQ(quendel::guidToString(tl.libid), u"{90C8444E-788C-43DF-957C-E068645142C7}");
  ASSERT_EQ(tl.classes.size(), 15u);
  std::set<GUID> clsids, iids;
  for (const auto* c : tl.classes) {
    clsids.insert(c->clsid);
    iids.insert(c->iid);
    bool creatable = c->instancing == qa::Instancing::Global || c->instancing == qa::Instancing::Creatable;
    EXPECT_EQ(static_cast<bool>(c->create), creatable) << quendel::cp::toUtf8(c->name);
    // Creating by class identifier finds the same table without the type library.
    EXPECT_EQ(qt::ClassRegistration::find(c->clsid), c) << quendel::cp::toUtf8(c->name);
  }
  EXPECT_EQ(qt::ClassRegistration::find(tl.libid), nullptr);
  EXPECT_EQ(clsids.size(), 15u);
  EXPECT_EQ(iids.size(), 15u);
  EXPECT_EQ(tl.findClass(u"qndmain")->instancing, qa::Instancing::Global);
  EXPECT_EQ(tl.findClass(u"CommandLineParser")->instancing, qa::Instancing::NotCreatable);
  EXPECT_EQ(tl.findClass(u"qndMultiMonitor")->help, u"Класс информации о мониторах.");
  ASSERT_EQ(tl.enums.size(), 5u);
  EXPECT_EQ(tl.enums[0].values[0], (std::pair<std::u16string, LONG>{u"amNormal", 69}));
  EXPECT_EQ(tl.enums[1].values[1].second, static_cast<LONG>(0x80000001u));
}

TEST_F(Frame, RegistrationEntriesAndRoundTrip) {
  const auto& tl = qt::typeLibrary();
  auto entries = qt::registrationEntries(tl, "/opt/q/lib/libtoolvane0305.so");
  auto has = [&](const std::string& key, const std::string& name, const std::string& value) {
    for (const auto& e : entries)
      if (e.key == key && e.valueName == name && e.value == value) return true;
    return false;
  };
  EXPECT_TRUE(
      has("CLSID\\{11A03114-F930-4396-BAEE-F68402BA5BE7}\\InprocServer32", "", "/opt/q/lib/libtoolvane0305.so"));
  EXPECT_TRUE(has("TvFuncs0305.qndErr\\CLSID", "", "{E9D884CC-57A6-476F-A102-0EFF90170A43}"));
  EXPECT_TRUE(has("Interface\\{267A7EB3-D6F1-47DE-A035-1A1E50EFB822}", "", "_CommandLineParser"));
  EXPECT_FALSE(has("TvFuncs0305.CommandLineParser\\CLSID", "", "{817190D0-F8A9-47BE-A709-1041B969D6A1}"));

  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(readClassesRoot("TvFuncs0305.qndRegistry\\CLSID"), "{18917954-CE9C-4678-90FD-0E86B95FD963}");
  std::string server = readClassesRoot("CLSID\\{E9D884CC-57A6-476F-A102-0EFF90170A43}\\InprocServer32");
  // The name the library was loaded by: the build links it by its soname.
  EXPECT_TRUE(server.ends_with("/libtoolvane0305.so.3")) << server;
  EXPECT_EQ(qa::serverPathFor(quendel::guidFromLiteral(qt::ids::qndErr.clsid)), server);
  auto obj = qa::createObject(u"TvFuncs0305.qndMain");
  EXPECT_EQ(obj->className(), u"qndMain");

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(readClassesRoot("TvFuncs0305.qndRegistry\\CLSID"), "<none>");
  EXPECT_EQ(readClassesRoot("TypeLib\\{90C8444E-788C-43DF-957C-E068645142C7}"), "<none>");
  EXPECT_EQ(DllUnregisterServer(), S_OK);  // nothing left to remove is no failure
}

TEST_F(Frame, RegistrationFreeActivation) {
  // Nothing registered in this private registry: the library beside the program is used.
  auto m = qa::createObject(u"TvFuncs0305.qndMain");
  EXPECT_EQ(m->className(), u"qndMain");
  auto byId = qa::createObject(u"{e9d884cc-57a6-476f-a102-0eff90170a43}");
  EXPECT_EQ(byId->className(), u"qndErr");
  auto alone = qa::createObject(u"TvFuncs0305.qndAlone");
  EXPECT_EQ(alone->className(), u"qndAlone");
}

TEST_F(Frame, ActivationFailures) {
  struct Row {
    const char16_t* name;
    HRESULT hr;
  } rows[] = {
      {u"TvFuncs0305.NoSuchClass", REGDB_E_CLASSNOTREG},
      {u"Nobody.Anything", REGDB_E_CLASSNOTREG},
      {u"{00000000-0000-0000-0000-000000000001}", REGDB_E_CLASSNOTREG},
      {u"{11A03114-F930-4396-BAEE}", CO_E_CLASSSTRING},
      {u"", CO_E_CLASSSTRING},
      {u"TvFuncs0305.CommandLineParser", CLASS_E_CLASSNOTAVAILABLE},
      {u"{817190D0-F8A9-47BE-A709-1041B969D6A1}", CLASS_E_CLASSNOTAVAILABLE},  // CommandLineParser
  };
  for (const auto& r : rows) {
    ErrorInfo e = errorInfoOf([&] { qa::createObject(r.name); });
    EXPECT_EQ(e.number, r.hr) << quendel::cp::toUtf8(r.name);
    EXPECT_FALSE(e.description.empty());
  }
}

TEST_F(Frame, ServerExports) {
  void* f = nullptr;
  CLSID none{};
  EXPECT_EQ(DllGetClassObject(&none, &none, &f), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(DllGetClassObject(nullptr, &none, &f), E_POINTER);
  CLSID main = quendel::guidFromLiteral(qt::ids::qndMain.clsid);
  ASSERT_EQ(DllGetClassObject(&main, &none, &f), S_OK);
  {
    auto obj = static_cast<qa::ClassFactory*>(f)->createInstance();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(Frame, ReadOnlyRegistryMakesRegistrationFail) {
  // A child that may not write the registry folder; as root it becomes "nobody" first,
  // since file permissions do not bind root.
  chmod(dir_.c_str(), 0555);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
    _exit(DllRegisterServer() == SELFREG_E_CLASS ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod(dir_.c_str(), 0700);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
