;| a comment
(still) |; (princ 1) ; line comment
