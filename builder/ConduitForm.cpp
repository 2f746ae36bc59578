#include "builder/ConduitForm.h"

#include "common/config/Scramble.h"

namespace tarn::builder {

ConduitSettings SettingsFromForm(const ConduitForm& form, bool isConfigFile, int tableCount) {
    ConduitSettings s;
    s.IsConfigFile = isConfigFile;
    s.FormatVersion = kCurrentFormatVersion;
    s.CompanyName = ScrambleString(form.CompanyName);
    s.ConduitTitle = ScrambleString(form.ConduitTitle);
    s.CreatorID = ScrambleString(form.CreatorID);
    s.ConduitShortName = ScrambleString(form.ConduitShortName);
    s.InstallationPath = ScrambleString(form.InstallationPath);
    s.TableCount = static_cast<int16_t>(tableCount);
    s.AllowModifyDatabase = form.AllowModifyDatabase ? 1 : 0;
    s.DBDriver = ScrambleString(form.Connection.Driver);
    s.DBServer = ScrambleString(form.Connection.Server);
    s.DBDatabase = ScrambleString(form.Connection.Database);
    s.DBUsername = ScrambleString(form.Connection.Username);
    s.DBPassword = ScrambleString(form.Connection.Password);
    s.DBAppend = ScrambleString(form.Connection.Append);
    s.Version = form.Version;
    s.SignaturePath = ScrambleString(form.SignaturePath);
    s.PreSyncExecution = ScrambleString(form.PreSyncExecution);
    s.PostSyncExecution = ScrambleString(form.PostSyncExecution);
    s.FilterDatabase = ScrambleString(form.FilterDatabase);
    return s;
}

ConduitForm FormFromSettings(const ConduitSettings& s) {
    ConduitForm form;
    form.CompanyName = DescrambleString(s.CompanyName);
    form.ConduitTitle = DescrambleString(s.ConduitTitle);
    form.CreatorID = DescrambleString(s.CreatorID);
    form.ConduitShortName = DescrambleString(s.ConduitShortName);
    form.InstallationPath = DescrambleString(s.InstallationPath);
    form.Version = s.Version;
    form.SignaturePath = DescrambleString(s.SignaturePath);
    form.PreSyncExecution = DescrambleString(s.PreSyncExecution);
    form.PostSyncExecution = DescrambleString(s.PostSyncExecution);
    form.FilterDatabase = DescrambleString(s.FilterDatabase);
    form.AllowModifyDatabase = s.AllowModifyDatabase == 1;
    form.Connection.Driver = DescrambleString(s.DBDriver);
    form.Connection.Server = DescrambleString(s.DBServer);
    form.Connection.Database = DescrambleString(s.DBDatabase);
    form.Connection.Username = DescrambleString(s.DBUsername);
    form.Connection.Password = DescrambleString(s.DBPassword);
    form.Connection.Append = DescrambleString(s.DBAppend);
    return form;
}

}  // namespace tarn::builder
