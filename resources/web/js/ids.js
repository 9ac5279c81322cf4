// The identifiers of the dialogs, the menu commands and the controls, by
// name: the mirror of Monitor/ui/control_ids.h (a test holds the two
// together). The page's attributes and the API carry the numbers.

// The windows and dialogs.
export const dialogId = Object.freeze({
  mainWindow: 1001,
  statList: 5000,
  programs: 6000,
  labels: 7000,
  settings: 8000,
  about: 9000,
});

// The menu bar's items.
export const commandId = Object.freeze({
  saveStats: 11100,
  pause: 11200,
  resume: 11300,
  exitWithoutSave: 11400,
  quit: 11900,
  schedule: 12100,
  days: 12210,
  hourLabels: 12220,
  tempLabels: 12230,
  holidays: 12240,
  heatingTime: 12300,
  listHeatingCycles: 13110,
  listPreheats: 13120,
  listTempDrops: 13130,
  graphCycleHistogram: 13210,
  graphPreheatCurve: 13220,
  graphTempDropCurve: 13230,
  settings: 14900,
  about: 15100,
});

// The buttons every dialog shares.
export const buttonId = Object.freeze({
  ok: 1,
  cancel: 2,
});

// The main window. Each weather group's minimum, mean and maximum follow its
// current value: the three identifiers after it.
export const controlId = Object.freeze({
  heatingGroup: 1002,
  cyclesGroup: 1009,
  programGroup: 1010,
  weekday: 1011,
  date: 1012,
  clock: 1013,
  heatingTime: 1015,
  fromTime: 1016,
  toTime: 1017,
  fromTemp: 1018,
  energy: 1021,
  toTemp: 1023,
  programName: 1026,
  slotNumber: 1027,
  cost: 1028,
  heatingPercent: 1029,
  energyPercent: 1030,
  onPercent: 1032,
  onTime: 1033,
  offPercent: 1034,
  offTime: 1035,
  fanText: 1040,
  modeText: 1042,
  preheatGroup: 1043,
  degreesGained: 1047,
  degreesToReach: 1048,
  preheatMinutes: 1050,
  arrivalTime: 1051,
  savings: 1052,
  modify: 1057,
  delete: 1060,
  cycleStrip: 1061,
  slotButtons: 1062,
  slotList: 1063,
  temperatureGroup: 1101,
  windSunGroup: 1102,
  windHeading: 2111,
  indoorNow: 3001,
  indoorMinimum: 3002,
  indoorMean: 3003,
  indoorMaximum: 3004,
  outdoorNow: 3101,
  outdoorMinimum: 3102,
  outdoorMean: 3103,
  outdoorMaximum: 3104,
  windChillNow: 3201,
  windChillMinimum: 3202,
  windChillMean: 3203,
  windChillMaximum: 3204,
  windNow: 3301,
  windLastHour: 3302,
  windMean: 3303,
  windMaximum: 3304,
  sunNow: 3401,
  sunLastHour: 3402,
  sunMean: 3403,
  sunMaximum: 3404,
});

// The statistics list.
export const statListId = Object.freeze({
  table: 5002,
  graph: 5004,
});

// "Programs Setting/Editing".
export const programsId = Object.freeze({
  names: 6001,
  list: 6002,
  add: 6004,
  times: 6005,
  temps: 6006,
  save: 6008,
  delete: 6009,
  deleteAll: 6010,
  restore: 6011,
  group: 6012,
});

// The Labels dialog, in each of its modes.
export const labelsId = Object.freeze({
  labelCaption: 7001,
  valueCaption: 7003,
  group: 7004,
  restore: 7005,
  deleteAll: 7006,
  delete: 7007,
  save: 7008,
  values: 7011,
  labels: 7012,
  add: 7013,
  list: 7015,
});

// The Settings dialog; its Modify is buttonId.ok.
export const settingsId = Object.freeze({
  fanLow: 8001,
  autoFan: 8002,
  exteriorGroup: 8003,
  extAdjust: 8004,
  kwhCost: 8005,
  continuousFan: 8007,
  language: 8008,
  unitsGroup: 8010,
  fanHigh: 8011,
  fahrenheit: 8012,
  sunFloor: 8013,
  celsius: 8016,
  milesPerHour: 8017,
  kmPerHour: 8018,
  fanGroup: 8019,
  sunnyEconoMode: 8020,
  tempSetBack: 8021,
  extTempFloor: 8022,
  overrideGroup: 8023,
  sunStraightLine: 8025,
  extAbsolute: 8026,
  extRelative: 8027,
  sunExponential: 8028,
  sunAdjust: 8030,
  preferencesGroup: 8031,
  extRelativeTo: 8034,
  sunExponent: 8037,
  interiorGroup: 8038,
  intRelativeTo: 8040,
  intRelative: 8042,
  intAbsolute: 8043,
  intAdjust: 8044,
  coldMode: 8048,
  tempSetForward: 8051,
  extTempCeil: 8054,
  windFloor: 8055,
  heatPumpGroup: 8056,
  heatPumpAuto: 8058,
  heatPumpManual: 8059,
  heatPumpAlwaysOff: 8061,
  heatPumpAlwaysOn: 8062,
  save: 8100,
});

// The About box.
export const aboutId = Object.freeze({
  hiddenControl: 9001,
  picture: 9002,
  banner: 9003,
  text: 9010,
});
