// The benchmark's page: one selected file, posted by SendData to the receiver page.
//   lumbra run bench/senddata/senddata.js HOST PORT FILE
var save = new ActiveXObject("Quorra.DataSave");
save.ServerURL = args[0];
save.PORT = args[1];
save.DLLVERSION = "/bench/SendData.asp";
save.SelectBlob("PHOTO", "EMPLOYEE", "", "", args[2], "ID=1");
print(save.SendData());
