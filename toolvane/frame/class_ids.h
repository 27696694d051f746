// The identifiers of the library's type library, classes and default interfaces. Clients
// rely on these numbers; they never change.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::ids {

inline constexpr const char* kLibrary = "{90C8444E-788C-43DF-957C-E068645142C7}";

struct ClassIds {
  const char* clsid;
  const char* iid;
};

inline constexpr ClassIds qndMain{"{11A03114-F930-4396-BAEE-F68402BA5BE7}", "{82CFCD03-394B-4BA0-A668-F1192D012906}"};
inline constexpr ClassIds qndAlone{"{066D7054-B557-4A41-8376-46F8A5F4A7B9}", "{EC79B4CB-CEDD-45B1-9A48-089A3A7FA626}"};
inline constexpr ClassIds qndBenchMark{"{D1E7362B-40B3-496B-8200-33B99669309C}",
                                       "{EFFD8A6F-1960-4FE2-B3AE-A07F3A99EF7B}"};
inline constexpr ClassIds qndSimpleListDialog{"{4223147C-6B2D-4895-AD83-7F308F610A5E}",
                                              "{44FE7FD3-4740-49BD-8414-EAC1FE2051D9}"};
inline constexpr ClassIds qndRegistry{"{18917954-CE9C-4678-90FD-0E86B95FD963}",
                                      "{9792E383-9BBB-4897-B6DC-83222F3FB165}"};
inline constexpr ClassIds qndQuendelSettings{"{D04172CF-4D65-4A4B-BE83-60FD6042DEA2}",
                                             "{C3B40CFD-240C-45CF-971F-D08CC5C3D729}"};
inline constexpr ClassIds qndBenchMarkHP{"{62991D14-8E14-496C-9491-227131094F95}",
                                         "{622B811D-D031-4FD4-B4F1-AC1E17E675D3}"};
inline constexpr ClassIds qndTextBoxDefButtonWatcher{"{0FB91E7B-AF4F-49BA-9C31-653592059CE1}",
                                                     "{3999C321-DAC6-43A5-A271-291D692773CA}"};
inline constexpr ClassIds qndTabControl{"{B7BB3F03-3805-4094-AFB6-0CFFD08D50BA}",
                                        "{C67DA93D-014E-48E1-9D9E-06FD09095B04}"};
inline constexpr const char* kTabControlEvents = "{0137F437-1D64-4A9A-A145-5A995FDF591F}";
inline constexpr ClassIds CommandLineParser{"{817190D0-F8A9-47BE-A709-1041B969D6A1}",
                                            "{267A7EB3-D6F1-47DE-A035-1A1E50EFB822}"};
inline constexpr ClassIds qndAutorunSupport{"{F505620D-B52C-4173-AC49-1914400EF0F5}",
                                            "{8362E98F-5504-4EE5-829D-08677A6A7B64}"};
inline constexpr ClassIds qndClipboard{"{A282AE4F-2DC1-4DE2-B43C-C9FB61684D38}",
                                       "{B6B42491-5276-4E9C-832F-C0A9DAD8C2C3}"};
inline constexpr ClassIds qndErr{"{E9D884CC-57A6-476F-A102-0EFF90170A43}", "{07C9E660-3CAC-423F-82C9-5523F30AC4B4}"};
inline constexpr ClassIds qndMultiMonitor{"{E46F8E54-469A-42A6-89ED-63D09B3FB576}",
                                          "{09642F31-F0BD-451F-8D0F-8447F92C8155}"};
inline constexpr ClassIds Monitor{"{E7316982-C551-4110-A46D-798D0FF51558}", "{74DB7EEC-D67D-41F0-B755-FC2C4FFAD7EB}"};

}  // namespace quendel::toolvane::ids

QUENDEL_EXPORT_END
