Monday,WEEKDAY
Tuesday,WEEKDAY
Wednesday,WEEKDAY
Thursday,WEEKDAY
Friday,WEEKDAY
Saturday,WEEKEND
Sunday,WEEKEND
