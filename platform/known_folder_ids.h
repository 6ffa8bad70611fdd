#pragma once

#include "platform/guid.h"

namespace trovel::platform {

// Registered KNOWNFOLDERID values used by the program itself.
inline const Guid FOLDERID_Windows = GuidLiteral("{F38BF404-1D43-42F2-9305-67DE0B28FC23}");
inline const Guid FOLDERID_Documents = GuidLiteral("{FDD39AD0-238F-46AF-ADB4-6C85480369C7}");
inline const Guid FOLDERID_Desktop = GuidLiteral("{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}");
inline const Guid FOLDERID_Downloads = GuidLiteral("{374DE290-123F-4565-9164-39C4925E467B}");
inline const Guid FOLDERID_Music = GuidLiteral("{4BD8D571-6D19-48D3-BE97-422220080E43}");
inline const Guid FOLDERID_Pictures = GuidLiteral("{33E28130-4E1E-4676-835A-98395C3BC3BB}");
inline const Guid FOLDERID_Videos = GuidLiteral("{18989B1D-99B5-455B-841C-AB7C74E4DDFC}");
inline const Guid FOLDERID_Templates = GuidLiteral("{A63293E8-664E-48DB-A079-DF759E0509F7}");
inline const Guid FOLDERID_Public = GuidLiteral("{DFDF76A2-C82A-4D63-906A-5644AC457385}");
inline const Guid FOLDERID_Profile = GuidLiteral("{5E6C858F-0E22-4760-9AFE-EA3317B67173}");
inline const Guid FOLDERID_RoamingAppData = GuidLiteral("{3EB685DB-65F9-4CF6-A03A-E3EF65729F3D}");
inline const Guid FOLDERID_LocalAppData = GuidLiteral("{F1B32785-6FBA-4FCF-9D55-7B8E7F157091}");
inline const Guid FOLDERID_InternetCache = GuidLiteral("{352481E8-33BE-4251-BA85-6007CAEDCF9D}");

// The known-folder manager's COM class and interface.
inline const Guid CLSID_KnownFolderManager = GuidLiteral("{4DF0C730-DF9D-4AE3-9153-AA6B82E9795A}");
inline const Guid IID_IKnownFolderManager = GuidLiteral("{8BE2D872-86AA-4D47-B776-32CCA40C7018}");

}  // namespace trovel::platform
